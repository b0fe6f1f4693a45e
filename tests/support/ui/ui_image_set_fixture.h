// Image sets for widget tests: a ".gis" file of named cells (one pattern each, stacked in one
// solid atlas beside it) written into a test folder and added to the engine's image-set pool
// under its full path, which is the name a widget's image-set name then gives.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct TestUICell {
    std::u16string fileName;   // e.g. u"frame_body.png"
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Writes "<folder>/<title>.gis" and its atlas and adds the set to the pool; the pooled name, or
// an empty string when the set could not be written or loaded.
std::u16string AddTestUIImageSet(const std::filesystem::path& folder, const std::string& title,
                                 const std::vector<TestUICell>& cells);
// Empties the pool and the image-set factory (for a test's tear-down).
void ReleaseTestUIImageSets();
