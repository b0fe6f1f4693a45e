// Image sets for the widget tests: a ".gis" of named cells, each cell one solid-colour atlas of
// its own, written under a folder and added to the engine's image-set pool, where the widgets
// look their sets up. While it lives the folder is the working folder (the pool and the texture
// loads open names relative to it); it empties the pool when it goes. Needs the harness's
// device for the atlas textures. No GoogleTest.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct TestUICell {
    std::u16string name;        // the cell's name, ".png" included, e.g. u"ok_off.png"
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t argb = 0xFFFFFFFF;
    std::int32_t patterns = 1;  // each the whole atlas; 0 for a cell without patterns
};

// Writes the ".gis" at `path` and one atlas per cell beside it; false when a file cannot be written.
bool WriteTestUIImageSet(const std::filesystem::path& path, const std::vector<TestUICell>& cells);

class TestUIImageSets {
public:
    explicit TestUIImageSets(const std::filesystem::path& folder);
    ~TestUIImageSets();
    TestUIImageSets(const TestUIImageSets&) = delete;
    TestUIImageSets& operator=(const TestUIImageSets&) = delete;

    // Writes `file` (relative, e.g. "uigis/buttons.gis") with the cells and adds it to the pool;
    // false when it cannot be written or loaded.
    bool Add(const std::string& file, const std::vector<TestUICell>& cells);
    // Only the file, for a set a test leaves out of the pool.
    bool Write(const std::string& file, const std::vector<TestUICell>& cells);

private:
    std::filesystem::path m_Folder;
    std::filesystem::path m_Previous;
};
