// Shared pieces of the button and slider tests: the harness with a pool of image sets, widgets
// entered into the test screen (images loaded, event state reset) and the saved-state round trip.
#pragma once

#include "ui_test_support.h"

#include "tests/support/ui/harness/widget_image_set.h"
#include "tests/support/ui/harness/widget_state_io.h"

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
        bool written = false;
        const std::string bytes = SaveTaskState(*from, TestContentForm::kBinary, &written);
        return written && LoadTaskState(*into, TestContentForm::kBinary, bytes);
    }

    TestUIImageSets m_Sets{m_Harness.Folder()};
    LogCapture m_Log;
};

}  // namespace ui_test
