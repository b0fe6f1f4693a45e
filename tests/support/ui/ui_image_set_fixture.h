// Image sets for widget tests that name their sets by full path: the ".gis" of named cells is
// written into a test folder and added to the engine's image-set pool under its full path, which
// is the name a widget's image-set name then gives.
#pragma once

#include "tests/support/ui/harness/widget_image_set.h"

#include <filesystem>
#include <string>
#include <vector>

// Writes "<folder>/<title>.gis" and its atlas and adds the set to the pool; the pooled name, or
// an empty string when the set could not be written or loaded.
std::u16string AddTestUIImageSet(const std::filesystem::path& folder, const std::string& title,
                                 const std::vector<TestUICell>& cells);
// Empties the pool and the image-set factory (for a test's tear-down).
void ReleaseTestUIImageSets();
