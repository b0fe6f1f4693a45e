#include "tests/support/ui/ui_layout_builder.h"

#include "tests/support/game_folder.h"

#include <cstdio>

namespace {

std::u16string Number(std::int32_t value)
{
    const std::string text = std::to_string(value);
    return std::u16string(text.begin(), text.end());
}

std::u16string Number(float value)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    const std::string narrow = text;
    return std::u16string(narrow.begin(), narrow.end());
}

}  // namespace

TestTableBuilder UIModuleTable(const std::vector<ModuleRow>& rows)
{
    TestTableBuilder table;
    table.Comment(u"ID\tUIType\tName\tImageSetName\tImageName\tWidth\tHeight\tClientLeft\tClientTop\tClientWidth\t"
                  u"ClientHeight\tShapeType\tFontIndex\tAnimeSpeed");
    for (const ModuleRow& r : rows)
        table.Row({Number(r.id), Number(r.type), r.name, r.imageSet, r.image, Number(r.w), Number(r.h),
                   Number(r.clientLeft), Number(r.clientTop), Number(r.clientWidth), Number(r.clientHeight),
                   Number(r.shape), Number(r.font), Number(r.anime)});
    return table;
}

TestTableBuilder UILayoutTable(const std::vector<LayoutRow>& rows)
{
    TestTableBuilder table;
    table.Comment(u"ID\tParentName\tParentIndex\tModuleName\tTaskName\tTaskIndex\tCreate\tVisible\tEnabled\tLeft\t"
                  u"Top\tOrderZ\tGroupID\tText\tLabel\tSystemSoundID\tValue\tMin\tMax\tAutoHelpTime\tDescript");
    for (const LayoutRow& r : rows)
        table.Row({Number(r.id), r.parentName, u"0", r.moduleName, r.taskName, Number(r.taskIndex), Number(r.create),
                   Number(r.visible), Number(r.enabled), Number(r.left), Number(r.top), Number(r.orderZ),
                   Number(r.groupId), r.text, r.label, Number(r.sound), Number(r.value), Number(r.min),
                   Number(r.max), Number(r.helpTime), r.descript});
    return table;
}

bool WriteUITables(const std::filesystem::path& gameFolder, const std::vector<ModuleRow>& modules,
                   const std::vector<LayoutRow>& layouts)
{
    const bool moduleWritten = UIModuleTable(modules).Write(gameFolder / "data" / "db_uimodule.txt");
    const bool layoutWritten = UILayoutTable(layouts).Write(gameFolder / "data" / "db_uilayout.txt");
    return moduleWritten && layoutWritten;
}

TestGameFolder& AddUITables(TestGameFolder& game, const std::vector<ModuleRow>& modules,
                            const std::vector<LayoutRow>& layouts)
{
    return game.Table(u"db_uimodule.txt", UIModuleTable(modules)).Table(u"db_uilayout.txt", UILayoutTable(layouts));
}
