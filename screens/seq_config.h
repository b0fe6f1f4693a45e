// SeqConfig: the options screen. Four pages chosen by tabs (system, sound, voice, game) edit the
// player options; the sound and voice pages reach what plays at once, the rest is stored when the
// screen is left. It also offers sample sounds, a reset to the defaults, a return to the title and
// the end of the program. The voice page (seq_config_voice.cpp) shows one plate per voice group,
// two per row and three rows at a time, with the group's face drawn over it.
#pragma once

#include "screens/screen_base.h"

#include <cstdint>
#include <string>
#include <vector>

class GxCore;
class GxUserConfig;
struct GxNcOriginImage;

// One shown row of the voice-volume table, in display order.
struct VoicePanelEntry {
    std::int32_t m_PanelOrder = 0;
    std::int32_t m_VoiceVolumeID = 0;
    bool m_Visible = true;
    const GxNcOriginImage* m_Face = nullptr;   // null when the image set has no such pattern
    bool m_HasSample = false;
    bool m_HasSystemVoice = false;
};

// The faces are drawn above the plates' own images.
constexpr std::int32_t kConfigFaceRenderList = 5;
constexpr std::int32_t kConfigFaceDrawMode = 3;
constexpr float kConfigFaceDepth = 10000.0f;
constexpr std::int32_t kConfigFaceDrawTag = 2;
constexpr std::int32_t kVoicePlateCount = 6;
// Entering stops the character voices with this fade.
constexpr std::int32_t kConfigVoiceStopFadeMs = 500;

class SeqConfig : public GxScreenBase {
public:
    enum Page { kPageSystem, kPageSound, kPageVoice, kPageGame, kPageCount };

    explicit SeqConfig(GxTaskBase* owner);
    ~SeqConfig() override;

    void OnSequenceEnter(std::int32_t worker) override;
    void OnSequenceLeave(std::int32_t worker) override;
    // With the voice tab on, also the faces in their own list; then the shared render.
    int Render(std::int32_t step, std::uint64_t elapsed) override;
    // Tag 2: the faces; other tags the shared draw.
    int Draw(std::int32_t value, std::int32_t listIndex) override;
    // Voice page scrolling while the voice tab is on; 0.
    int OnMouseWheel(const GxVector2* point, std::int32_t delta, std::uint32_t keys) override;
    // "btn_back" when it can take input; 0 (not consumed).
    int OnMouseRightDown(const GxVector2* point, std::uint32_t keys, std::int32_t count) override;
    // After the system layer switched the screen mode: the two mode buttons refilled; 0.
    int OnWindowEvent(std::int32_t from, std::int32_t to) override;
    // A slider moved: the sound or voice page stored; 0.
    int OnUIEventCode16(GxTaskUIBase* widget, const GxUIEventParam* event) override;

    GxTaskFolder* GetPageFolder(Page page) const { return m_Pages[page]; }
    // The widget of that name and index in that page's folder, or null.
    GxTaskUIBase* FindPageWidget(Page page, const char16_t* name, std::int32_t index = 0) const;
    const std::vector<VoicePanelEntry>& GetVoiceList() const { return m_VoiceList; }
    std::int32_t GetMaxScrollRow() const { return m_MaxScrollRow; }
    // The tab of that page is on.
    bool IsTabOn(Page page) const;

protected:
    bool OnWidgetEvent(GxTaskUIBase* widget, const std::u16string& name, const GxUIEventParam* event) override;
    // The voice page's faces: which entries are shown and where.
    void AddDrawnState(GxDrawnStateKey& key) const override;

private:
    GxUserConfig* Options() const;

    void SelectPage();
    void FillPages();
    void FillSystemPage(const GxUserConfig& options);
    void FillSoundPage(const GxUserConfig& options);
    void FillScreenModeButtons();
    void StoreSoundPage();
    void StoreSwitches();
    void ApplyAllVolumes();
    void ApplyWindowOpacity(std::int32_t opacity);
    void RecolourChoices();
    void ResetOptions();
    bool ChangeScreenModeTo(std::int32_t row, std::int32_t mode);
    void PlaySample(const char16_t* name, bool systemVoice);

    // ---- voice page
    void BuildVoiceList();
    std::int32_t ScrollRow() const;
    void RefreshVoicePlates();
    void ScrollVoicePlates(std::int32_t rows);
    void FillVoicePage(const GxUserConfig& options);
    void StoreVoicePage();
    void PlayVoiceSample(GxTaskUIBase* sender);
    void DrawFaces();

    GxTaskFolder* m_Pages[kPageCount] = {};
    std::vector<VoicePanelEntry> m_VoiceList;
    std::int32_t m_MaxScrollRow = -1;
};
