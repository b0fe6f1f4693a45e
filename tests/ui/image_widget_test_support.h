// Shared pieces of the button and slider tests: the harness with a pool of image sets, widgets
// entered into the test screen (images loaded, event state reset) and the saved-state round trip.
#pragma once

#include "ui_test_support.h"

#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"
#include "tests/support/content_bytes.h"
#include "tests/support/ui/harness/widget_image_set.h"

#include <cstring>
#include <functional>

namespace ui_test {

// Solid colours of the cells, told apart in the frame.
constexpr std::uint32_t kOffRgb = 0x2040C0;
constexpr std::uint32_t kOnRgb = 0xC04020;
constexpr std::uint32_t kOverRgb = 0x20C040;
constexpr std::uint32_t kNaRgb = 0x808080;
constexpr std::uint32_t kOnOverRgb = 0xC0C020;
constexpr std::uint32_t kOnNaRgb = 0x602060;

inline TestUICell Cell(const std::u16string& name, std::int32_t w, std::int32_t h, std::uint32_t rgb)
{
    return TestUICell{name, w, h, 0xFF000000u | rgb};
}

class ImageWidgetTest : public UIHarnessTest {
protected:
    void SetUp() override
    {
        UIHarnessTest::SetUp();
        Screen()->SetInstantUIEventFlag(true);
    }

    // Loads the images and resets the event state, as entering the sequence does.
    template <class Widget>
    Widget* Enter(Widget* widget)
    {
        widget->OnSequenceEnter(0);
        return widget;
    }
    std::uint32_t Rgb(int x, int y) { return m_Harness.Pixel(x, y) & 0xFFFFFF; }
    std::vector<UITestEvent> Events(std::int32_t hook) { return Screen()->EventsOf(hook); }

    // Writes the widget's state in binary form and reads it into `into`.
    static bool RoundTrip(GxTaskUIBase* from, GxTaskUIBase* into)
    {
        const std::string bytes = WriteContentBytes(TestContentForm::kBinary, [&](GxContentWriterBase& writer) {
            writer.WriteHeader("WGT", 1);
            from->WriteState(writer);
        });
        GxBinBuffer buffer;
        std::memcpy(buffer.Allocate(static_cast<std::uint32_t>(bytes.size())), bytes.data(), bytes.size());
        GxContentBinaryReader reader(buffer, false);
        std::uint32_t version = 0;
        return reader.ReadHeader("WGT", &version) && into->ReadState(reader);
    }

    TestUIImageSets m_Sets{m_Harness.Folder()};
    LogCapture m_Log;
};

}  // namespace ui_test
