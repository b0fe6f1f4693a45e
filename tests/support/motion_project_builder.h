// Builds ".gnc" motion projects for tests and the demo: records with the loader's defaults
// (the engine's own key and layer records, whose every value is written), written value by
// value in file order in the text or binary content form, the layer tree by a tree writer.
#pragma once

#include "motion/nc_project.h"
#include "tests/support/content_bytes.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One node of a motion's layer tree with its children.
struct TestNcStratum {
    std::u16string layerName;
    std::int32_t layerIndex = -1;
    std::vector<TestNcStratum> children;
};

struct TestNcMotion {
    std::u16string motionName;
    std::u16string enumName;
    std::uint32_t motionID = 0;
    std::int32_t totalDuration = 0;
    std::int32_t startTime = 0;
    std::int32_t playTime = 0;
    std::int32_t endTime = 0;
    std::vector<GxNcLayer> layers;
    std::vector<GxNcSoundKey> soundKeys;
    std::array<std::vector<GxNcEventKey>, 4> eventKeys;
    std::vector<TestNcStratum> tree;   // top-level strata
};

struct TestNcMotionGroup {
    std::u16string motionGroupName;
    std::u16string enumName;
    std::uint32_t motionGroupID = 0;
    std::vector<TestNcMotion> motions;
};

struct TestNcProjectSpec {
    std::uint32_t version = 1;
    std::u16string projectName;
    std::array<std::uint32_t, 9> issuableIDs = {200000000, 100000000, 400000000, 500000000, 600000000,
                                                700000000, 800000000, 900000000, 1000000000};
    std::vector<TestNcMotionGroup> groups;
    std::uint32_t stageCount = 0;   // stages store nothing but their count
    std::vector<std::u16string> imageSetFileNames;
};

std::string BuildMotionProject(const TestNcProjectSpec& spec, TestContentForm form);
bool WriteMotionProjectFile(const std::string& path, const TestNcProjectSpec& spec, TestContentForm form);

// A layer named `name` showing pattern 0 of `imageFile` in the set `imageSetName` from time 0.
GxNcLayer ImageLayer(const std::u16string& name, const std::u16string& imageSetName, const std::u16string& imageFile);
