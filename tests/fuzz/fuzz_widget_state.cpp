// Fuzz target: a widget's saved state. The first byte picks the reader (even: text, odd:
// binary); the rest is read by ReadState into a fresh widget of every type code the factory
// builds, each of which then takes an update and a recorded draw on the headless UI harness. No
// damaged value (a count, an index, a size) may make a widget allocate beyond its bytes, loop,
// or touch memory outside its data.
#include "core/task_manage.h"
#include "foundation/content_binary.h"
#include "foundation/content_text.h"
#include "tests/fuzz/fuzz_bytes.h"
#include "tests/support/ui/harness/ui_harness.h"
#include "ui/task_ui_base.h"
#include "ui/widget_factory.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

UIHarness& Harness()
{
    static UIHarness harness;
    return harness;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    GxBinBuffer bytes;
    if (!FuzzBytes(data + 1, size - 1, bytes))
        return 0;
    const bool text = (data[0] & 1) == 0;
    UIHarness& harness = Harness();
    if (!harness.Ok())
        return 0;
    for (std::int32_t type = 0; type <= kUITypeLast; ++type) {
        GxTaskUIBase* widget = NewWidgetOfType(type, harness.Screen(), nullptr, 0);
        if (!widget)
            continue;
        std::unique_ptr<GxContentReaderBase> reader;
        if (text)
            reader = std::make_unique<GxContentTextReader>(bytes, false);
        else
            reader = std::make_unique<GxContentBinaryReader>(bytes, false);
        widget->ReadState(*reader);
        widget->Update(0, 16000);
        widget->Draw(0, 0);
        widget->SetState(kTaskRemoved);
    }
    // The removed widgets go in this frame's sweep.
    harness.Step(0);
    harness.Recorder().Clear();
    return 0;
}
