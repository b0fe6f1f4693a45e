// Builds ".gis" crammed image sets for tests and the demo: records with the loader's defaults,
// written value by value in file order in the text or binary content form.
#pragma once

#include "foundation/value_types.h"
#include "tests/support/content_bytes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TestGisAtlas {
    std::u16string fileName;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t count = 0;
    std::uint32_t preserveFlag = 0;
};

struct TestGisPattern {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t crammedImageIndex = 0;
    std::int32_t crammedOffsetLeft = 0;
    std::int32_t crammedOffsetTop = 0;
    std::int32_t crammedLeft = 0;
    std::int32_t crammedTop = 0;
    std::int32_t crammedWidth = 0;
    std::int32_t crammedHeight = 0;
    float centerPosX = 0.0f;
    float centerPosY = 0.0f;
    std::optional<GxFRect> crammedRawUV;   // written only when set
    std::uint32_t noCutoffFlag = 0;
    std::uint32_t selected = 0;
};

struct TestGisOrigin {
    std::u16string fileName;
    std::optional<std::int32_t> patternCount;   // the list's count when not set
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t preserveFlag = 0;
    std::vector<TestGisPattern> patterns;
};

struct TestImageSetSpec {
    std::uint32_t version = 1;
    bool economyMode = false;
    std::vector<TestGisAtlas> atlases;
    std::vector<TestGisOrigin> origins;
};

std::string BuildImageSet(const TestImageSetSpec& spec, TestContentForm form);
bool WriteImageSetFile(const std::string& path, const TestImageSetSpec& spec, TestContentForm form);

// One atlas `atlasFile` of width by height holding one origin image `originFile` of one pattern
// that covers the whole atlas.
TestImageSetSpec OnePatternImageSet(const std::u16string& atlasFile, const std::u16string& originFile,
                                    std::int32_t width, std::int32_t height);
