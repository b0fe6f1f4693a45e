// Gives system bitmap font 0 known metrics for a widget test: a grid of 8 x 16 cells (characters
// 32 to 127) over a solid image written into the test's folder. The font is emptied again when
// the fixture goes, so no later test sees it.
#pragma once

#include <filesystem>

class TestSystemBitmapFont {
public:
    static constexpr unsigned kCellWidth = 8;
    static constexpr unsigned kCellHeight = 16;

    explicit TestSystemBitmapFont(const std::filesystem::path& folder);
    ~TestSystemBitmapFont();
    TestSystemBitmapFont(const TestSystemBitmapFont&) = delete;
    TestSystemBitmapFont& operator=(const TestSystemBitmapFont&) = delete;

    bool Ok() const { return m_Ok; }

private:
    bool m_Ok = false;
};
