// [Buttons and sliders] one frame of a button set read back from the harness's device and
// compared with a reference picture: normal, hovered, pressed and disabled image buttons, a
// toggle off and on, a text button with a line break, and a slider after a track click.
//
// TARNWICK_UPDATE_GOLDEN=1 writes the reference anew (look at it before keeping it).
#include "image_widget_test_support.h"

#include "graphics/gdi_font_map.h"
#include "graphics/system_fonts.h"
#include "tests/support/ui/golden_frame.h"
#include "ui/ui_slider.h"
#include "ui/ui_text_button.h"
#include "ui/ui_toggle_button.h"

#include <filesystem>

namespace ui_test {
namespace {

std::filesystem::path GoldenPath()
{
    return std::filesystem::path(TW_SOURCE_DIR) / "tests/ui/golden/button_frame.png";
}

// Glyph cache `index` at a size of the test's for its lifetime (the caches are the process's).
class ScopedFontSize {
public:
    ScopedFontSize(std::int32_t index, std::int32_t size) : m_Map(GetSystemFontMap(index))
    {
        m_Size = m_Map->GetFontSize();
        m_Face = m_Map->GetFaceName();
        m_Map->SetFont(size, nullptr);
    }
    ~ScopedFontSize() { m_Map->SetFont(m_Size, m_Face.c_str()); }

private:
    GxGDIFontMap* m_Map;
    std::int32_t m_Size = 0;
    std::u16string m_Face;
};

class ButtonFrameTest : public ImageWidgetTest {
protected:
    template <class Widget>
    Widget* Place(const char16_t* image, float x, float y)
    {
        auto* widget = new Widget(Screen(), nullptr, nullptr, 0);
        widget->SetImageName(image);
        widget->SetPos(GxVector3(x, y, 0.0f));
        return widget;
    }
};

TEST_F(ButtonFrameTest, AButtonSetAndASliderMatchTheReferenceFrame)
{
    ASSERT_TRUE(m_Sets.Add("uigis/set.gis",
                           {Cell(u"b_off.png", 120, 40, kOffRgb), Cell(u"b_on.png", 120, 40, kOnRgb),
                            Cell(u"b_over.png", 120, 40, kOverRgb), Cell(u"b_na.png", 120, 40, kNaRgb),
                            Cell(u"t_off.png", 40, 40, kOffRgb), Cell(u"t_on.png", 40, 40, kOnRgb),
                            Cell(u"plate_off.png", 200, 64, 0x404040),
                            Cell(u"s_off.png", 20, 20, 0xE0E0E0), Cell(u"s_back.png", 220, 20, 0x303060)}));
    Enter(Place<GxTaskUIButtonIs>(u"uigis/set/b", 40.0f, 40.0f));
    Enter(Place<GxTaskUIButtonIs>(u"uigis/set/b", 200.0f, 40.0f));   // hovered
    Enter(Place<GxTaskUIButtonIs>(u"uigis/set/b", 360.0f, 40.0f));   // pressed
    Enter(Place<GxTaskUIButtonIs>(u"uigis/set/b", 520.0f, 40.0f))->SetEnabled(false);
    Enter(Place<GxTaskUIToggleButtonIs>(u"uigis/set/t", 40.0f, 120.0f));
    Enter(Place<GxTaskUIToggleButtonIs>(u"uigis/set/t", 120.0f, 120.0f))->SetValueBool(true);
    ScopedFontSize font(3, m_Harness.Core().GetConfig().m_FontSize[3]);
    auto* text = Place<GxTaskUITextButtonIs>(u"uigis/set/plate", 40.0f, 200.0f);
    text->SetClientRect(8, 6, 184, 52);
    text->SetFontIndex(3);
    text->SetText(u"はい|Yes");
    Enter(text);
    auto* slider = Enter(Place<GxTaskUIHSliderIs>(u"uigis/set/s", 40.0f, 320.0f));
    ASSERT_EQ(slider->GetTrackLength(), 210);

    m_Harness.LeftDown(400, 60);
    m_Harness.LeftDown(145, 330);   // the slider's track: 105 of 210 px
    m_Harness.LeftUp(145, 330);
    m_Harness.MouseMove(250, 60);   // last: each input moves the cursor
    for (int update = 0; update < 3; ++update)
        m_Harness.Step(16000);
    EXPECT_EQ(slider->GetValue(), 50.0);

    UINT width = 0, height = 0;
    const std::vector<std::uint32_t> frame = m_Harness.ReadFrame(&width, &height);
    ASSERT_EQ(width, 1024u);
    ASSERT_EQ(height, 768u);
    const GoldenFrame golden = UpdateAndLoadGoldenFrame(GoldenPath(), width, height, frame);
    ASSERT_EQ(golden.m_Width, width) << "no reference at " << GoldenPath();
    ASSERT_EQ(golden.m_Height, height);
    EXPECT_EQ(CountDifferingRgb(frame, golden.m_Pixels), 0u);

    // The cells the reference shows, spot-checked.
    EXPECT_EQ(Rgb(50, 50), kOffRgb);
    EXPECT_EQ(Rgb(210, 50), kOverRgb);
    EXPECT_EQ(Rgb(370, 50), kOnRgb);
    EXPECT_EQ(Rgb(530, 50), kNaRgb);
    EXPECT_EQ(Rgb(50, 130), kOffRgb);
    EXPECT_EQ(Rgb(130, 130), kOnRgb);
}

}  // namespace
}  // namespace ui_test
