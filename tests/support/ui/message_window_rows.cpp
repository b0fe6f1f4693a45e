#include "tests/support/ui/message_window_rows.h"

#include "tests/support/image_fixtures.h"

ModuleRow MessageWindowModuleRow(const std::u16string& frameFolder)
{
    ModuleRow row;
    row.id = 1;
    row.type = 9;
    row.name = u"tip_msgwindow";
    row.imageSet = frameFolder;
    row.image = u"meswin";
    row.clientLeft = 40;
    row.clientTop = 24;
    row.clientWidth = 800;
    row.clientHeight = 150;
    row.font = 2;
    row.anime = 2;
    return row;
}

LayoutRow MessageWindowLayoutRow(const std::u16string& parentName)
{
    LayoutRow row;
    row.id = 1;
    row.parentName = parentName;
    row.moduleName = u"tip_msgwindow";
    row.taskName = u"$MESWIN:SeqAvgMain";
    row.taskIndex = -1;
    row.left = 72.0f;
    row.top = 540.0f;
    return row;
}

bool WriteMessageWindowFrame(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    TestImage image;
    image.width = kMessageFrameWidth;
    image.height = kMessageFrameHeight;
    image.argb.assign(static_cast<std::size_t>(image.width) * image.height, kMessageFrameColor);
    return WriteImageFile((folder / "meswin.png").string(), BuildPng(PngSpecRgba8(image)));
}
