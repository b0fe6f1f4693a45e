// Writes the seed corpus of the widget state fuzz target: the saved state of a widget of every
// type code the factory builds, in both content forms, each behind its form byte (0 text, 1
// binary):
//   make_widget_state_seeds <corpus folder>   (writes widget_state/ inside it)
#include "tests/support/content_bytes.h"
#include "tests/support/ui/harness/ui_harness.h"
#include "ui/task_ui_base.h"
#include "ui/ui_list_box.h"
#include "ui/ui_menu.h"
#include "ui/ui_text_log.h"
#include "ui/widget_factory.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// A widget with a little state of its own, so the seeds reach the readers' later fields.
void Fill(GxTaskUIBase* widget)
{
    widget->SetValueInt(1);
    widget->SetText(u"seed");
    if (auto* log = dynamic_cast<GxTaskUITextLogFx*>(widget)) {
        log->AddElement(u"first line", u"ab", 0xFF00FF00);
        log->AddElement(u"second line", u"", 0xFFFFFFFF);
    }
    if (auto* box = dynamic_cast<GxTaskUIListBoxFx*>(widget))
        box->AddItem(u"row", u"", 0, u"key", 1, u"help");
    if (auto* menu = dynamic_cast<GxTaskUIMenuIs*>(widget))
        menu->AddItem(u"item", u"value", 1, u"about");
}

bool Put(const std::filesystem::path& path, char form, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.put(form);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_widget_state_seeds <corpus folder>\n");
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / "widget_state";
    std::filesystem::create_directories(folder);
    UIHarness harness;
    if (!harness.Ok())
        return 1;
    int written = 0;
    for (std::int32_t type = 0; type <= kUITypeLast; ++type) {
        GxTaskUIBase* widget = NewWidgetOfType(type, harness.Screen(), nullptr, 0);
        if (!widget)
            continue;
        Fill(widget);
        const std::string name = "type" + std::to_string(type);
        for (TestContentForm form : {TestContentForm::kText, TestContentForm::kBinary}) {
            const std::string bytes =
                WriteContentBytes(form, [&](GxContentWriterBase& writer) { widget->WriteState(writer); });
            const bool text = form == TestContentForm::kText;
            if (!Put(folder / (name + (text ? "_text" : "_binary")), text ? 0 : 1, bytes))
                return 1;
            ++written;
        }
    }
    std::printf("%d seeds written\n", written);
    return 0;
}
