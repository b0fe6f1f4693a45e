// UI module and layout tables for tests and engine runs: typed rows written as
// "data/db_uimodule.txt" and "data/db_uilayout.txt" through TestTableBuilder, for the real table
// reader. No GoogleTest and no widget code: game folders for engine runs take the same rows.
#pragma once

#include "tests/support/table_builder.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class TestGameFolder;

// One UI module row, in the table's column order.
struct ModuleRow {
    std::int32_t id = 0;
    std::int32_t type = 0;
    std::u16string name = {};
    std::u16string imageSet = {};
    std::u16string image = {};
    std::int32_t w = 0;
    std::int32_t h = 0;
    std::int32_t clientLeft = 0;
    std::int32_t clientTop = 0;
    std::int32_t clientWidth = 0;
    std::int32_t clientHeight = 0;
    std::int32_t shape = 0;
    std::int32_t font = 0;
    std::int32_t anime = 0;
};

// One UI layout row, in the table's column order (its ParentIndex is always 0).
struct LayoutRow {
    std::int32_t id = 0;
    std::u16string parentName = {};
    std::u16string moduleName = {};
    std::u16string taskName = {};
    std::int32_t taskIndex = -1;
    std::int32_t create = 1;
    std::int32_t visible = 1;
    std::int32_t enabled = 1;
    float left = 0.0f;
    float top = 0.0f;
    float orderZ = 0.0f;
    std::int32_t groupId = 0;
    std::u16string text = {};
    std::u16string label = {};
    std::int32_t sound = 0;
    std::int32_t value = 0;
    std::int32_t min = 0;
    std::int32_t max = 0;
    std::int32_t helpTime = -1;
    std::u16string descript = {};
};

TestTableBuilder UIModuleTable(const std::vector<ModuleRow>& rows);
TestTableBuilder UILayoutTable(const std::vector<LayoutRow>& rows);
// Both files under `gameFolder`/data; false when one cannot be written.
bool WriteUITables(const std::filesystem::path& gameFolder, const std::vector<ModuleRow>& modules,
                   const std::vector<LayoutRow>& layouts);
// The same into a game folder for an engine run.
TestGameFolder& AddUITables(TestGameFolder& game, const std::vector<ModuleRow>& modules,
                            const std::vector<LayoutRow>& layouts);
