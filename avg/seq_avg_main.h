// SeqAvgMain: the play screen, the sequence on which the main script worker runs the game. It
// owns the visual layer tree ("$VISUAL" with the background, movie, flash, fade and standing
// layers), the message and name windows, the ten choice buttons, the background-transition
// layer and the proxy task, all registered by name with the suffix ":SeqAvgMain", and it steps
// the script in every logic pass for as long as nothing is waited for.
//
// Sources: seq_avg_main.cpp (construction, enter and leave, update and the script gate, draw),
// seq_avg_main_layers.cpp (layer resets, the rule transition, captures and the thumbnail),
// seq_avg_main_windows.cpp (message, speaker and choices, the reset of the windows),
// seq_avg_main_input.cpp (waits cut short, mouse, keys, buttons, skip and auto, the quick save).
// A missing layout or module row leaves its widget out; every use of a widget copes with that.
#pragma once

#include "core/seq_transit_base.h"

#include <cstdint>
#include <string>

class AvgTaskProxyMain;
class GxCore;
class GxTaskFolder;
class GxTaskLayer;
class GxTaskUIBase;
class GxTaskUIMessageWindowFx;
class GxSurface;
class GxTexture;
class GxUIManage;
class GxUserData;

class SeqAvgMain : public GxSeqTransitBase {
public:
    static constexpr const char16_t* kName = u"SeqAvgMain";
    static constexpr float kBgOrderZ = -100.0f;
    static constexpr float kBgwOrderZ = -10.0f;
    static constexpr float kMovieOrderZ = -20.0f;
    static constexpr float kFlashOrderZ = 10000.0f;
    static constexpr float kFadeOrderZ = 10001.0f;
    static constexpr float kStandOrderZ = 5000.0f;
    static constexpr float kChoiceOrderZ = 16000.0f;
    static constexpr float kBgTransitOrderZ = 20000.0f;

    explicit SeqAvgMain(GxTaskBase* owner);
    ~SeqAvgMain() override;

    // ---- sequence hooks ----------------------------------------------------------------------
    // Clears the background transition, sets the restore sequence and arranges the window's
    // buttons for a replay or a normal game.
    void OnSequenceEnter(std::int32_t worker) override;
    // Ends the background transition, finishes the choice buttons' actions, runs the transit
    // leave and clears the window-hidden flag.
    void OnSequenceLeave(std::int32_t worker) override;
    // Skip and auto steps, the background-transition timer, the holds, the wait icon, the end of
    // a replay, then the script stepping. Always 0.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    // The base render; a running background transition changes the picture in every frame.
    int Render(std::int32_t step, std::uint64_t elapsed) override;
    // Value 0: the clear and the background transition's refill; 1: the screen's own transition.
    int Draw(std::int32_t value, std::int32_t listIndex) override;

    // ---- script gate and input ----------------------------------------------------------------
    bool IsScriptRunnable() override;
    // A click: cancels a wait that a click may cut short, else shows a hidden window, ends skip
    // or auto mode, or advances the message window (that last case is not consumed).
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t keys, std::int32_t clicks) override;
    // Notches of 120: a hidden window is shown, toward the player a click, away the back log.
    int OnMouseWheel(const GxVector2* point, std::int32_t delta, std::uint32_t keys) override;
    // Shows a hidden window (not consumed), else presses "btn_hide".
    int OnMouseRightDown(const GxVector2* point, std::uint32_t keys, std::int32_t clicks) override;
    // Virtual-key codes: F9 (debug mode) shows the thumbnail layers; Enter, Right and Down click
    // or show the window; Space hides or shows it.
    int OnKeyDown(WPARAM key, LPARAM flags) override;
    // The dialog answer first; then the widget's system sound and the window's buttons by name.
    int OnUIEvent(GxTaskUIBase* sender, const GxUIEventParam* event) override;
    // False while the window is hidden by the player, the two windows and their children while
    // the script hides them, and during a background transition; else the base test.
    bool IsWidgetActive(GxTaskUIBase* widget) override;
    bool IsUIHoldClear1() override;
    bool IsUIHoldClear2() override;
    bool IsUIHoldClear3() override;
    // One page or one click wait per call (so per frame), then the waits skipping may cut short,
    // the actions and transitions, and the background transition.
    virtual void StepSkip();
    // Turns the page once the auto timer ran out while the window waits for a click.
    virtual void StepAuto(std::int32_t elapsedMs);

    // ---- layers, transitions and snapshots ---------------------------------------------------
    // The capture, then the transfer of the render texture into its system-memory copy; true.
    virtual bool CaptureSnapshot();
    // Rule image (empty: blank), time, whether the standing layers are reset, the new background
    // shown at once on "$BGLAYER"; true.
    virtual bool StartBgTransition(const std::u16string& rule, std::int32_t ms, bool resetStands,
                                   const std::u16string& newBackground);
    virtual bool IsBgTransitActive() const { return m_BgTransit.m_Transit; }
    // True once when a transition was running (it is ended and "$BGTRANSIT" hidden).
    virtual bool EndBgTransition();

    // ---- windows -----------------------------------------------------------------------------
    // Ends a hiding by command and shows the text, waiting for a click at its end.
    virtual void SetMessageText(const std::u16string& text, bool read, bool ignoreKinsoku, std::int32_t word);
    virtual void ClearMessage();
    // Modes: 0 clears, 1 text, 2 name image only, 3 image else text; other modes change nothing.
    virtual void SetSpeakerName(const std::u16string& name, std::int32_t mode);
    virtual void ClearSpeakerName();
    // Shows the visible entries of the choice list as a centred column above the message window.
    virtual void ShowSelectMenu();
    // Takes choice `number` (1 to the list's last entry): the buttons leave, the choice is
    // recorded and the script continues at its label.
    virtual void JumpToSelectedLabel(std::int32_t number);
    // Cuts short the first wait, in a fixed order, that the mask allows; false when none does.
    virtual bool CancelHold(std::int32_t mask);
    // Releases the holds whose condition has ended.
    virtual void UpdateHolds(std::uint64_t elapsed);
    // Layers cleared, windows and choice buttons back to their layout state, the proxy cleared.
    virtual void ResetPlayScreen();
    virtual void ClearAllLayers(bool endAuto, bool endSkip);
    // The game data in the compact form to the save folder's quick-save file.
    virtual void QuickSave();
    // The thumbnail-only layers shown for one capture, then the thumbnail built from it.
    virtual void CaptureThumbnail();
    virtual void ShowStandFirstSubLayers();
    virtual void HideStandFirstSubLayers();
    virtual void ShowBgwLayer();
    virtual void HideBgwLayer();

    // Draws the task trees into the first global render texture without touching the frame's
    // render lists or render target; false (logged) without the texture.
    static bool CaptureScreenToTexture(GxCore* core);
    // Refills `target` from the captured screen with the rule mask at `rate`. Nothing happens
    // when a texture or the rule surface cannot be locked (logged once per transition) or the
    // rule is smaller than the virtual screen.
    void ApplyRuleTransition(GxTexture* target, float rate);
    // The thumbnail buffer from the captured screen; unchanged (logged) when it cannot be read.
    static bool BuildThumbnail();

    GxTaskUIMessageWindowFx* GetMessageWindow() const { return m_MessageWindow; }
    GxTaskUIBase* GetNameWindow() const { return m_NameWindow; }
    GxTaskLayer* GetNameImage() const { return m_NameImage; }
    AvgTaskProxyMain* GetProxy() const { return m_Proxy; }
    const GxTransitParam& GetBgTransit() const { return m_BgTransit; }

protected:
    // One pass of the script: the main worker steps while a step succeeds and the gate stays
    // open, tested again before every step, up to the script engine's budget per pass.
    void StepScript();

    GxCore* GetCore() const;
    GxUIManage* GetUI() const;
    GxUserData* GetUserData() const;
    // A task of this screen by its full name ("$BGLAYER:SeqAvgMain").
    GxTaskBase* FindOwnTask(const char16_t* name) const;
    GxTaskLayer* FindLayer(const char16_t* name) const;
    GxTaskFolder* GetStandFolder() const;
    // "btn_select" with that index under "$SELECT", or null.
    GxTaskUIBase* GetChoiceButton(std::int32_t index) const;
    // A child widget of the message window by local name, or null.
    GxTaskUIBase* GetWindowButton(const char16_t* name) const;
    std::int32_t GetTextWindowOpacity() const;
    std::int32_t GetChoiceButtonCount() const;
    std::u16string GetQuickSavePath() const;
    // Whether a voice channel plays, for the auto mode's wait on it.
    virtual bool IsVoiceBusy();

private:
    void BuildVisualTree(GxTaskBase* root);
    void BuildWindows(GxTaskFolder* ui);
    void BuildChoiceButtons(GxTaskFolder* ui);
    // The window from its layout row, with the player's opacity and no event block.
    GxTaskUIBase* CreateWindowWidget(GxTaskFolder* ui, const char16_t* name);
    // Module row then layout row again, and the opacity.
    void ReapplyWindow(GxTaskUIBase* window, const char16_t* moduleName, const char16_t* layoutName);
    void TickBgTransit(std::uint64_t elapsed);
    void SetStandFirstSubLayersVisible(bool visible);
    void SetButtonVisible(const char16_t* name, bool visible);
    // ClearSpeakerName's work, for the other operations to share.
    void HideSpeaker();
    // The window's click: true when it ended a click wait, which clears the pending voices and,
    // with `stopVoices` and unless the options keep them, stops the voice channels.
    bool AdvanceMessage(bool stopVoices);
    // A click notification to the message window's button when the input gate allows it.
    bool PressWindowButton(const char16_t* name, const GxVector2* point);
    bool IsShutdownDialogShown() const;
    // On this screen's slot with the words 0 and 0; logged when the sequence is missing.
    bool ChangeSequenceTo(const char16_t* name);
    std::int32_t GetAutoWaitTime() const;
    // One of the conditions under which the UI holds are not clear.
    bool IsScreenBusy() const;

    GxTransitParam m_BgTransit;   // the background transition: active flag, time left and total
    GxSurface* m_RuleSurface = nullptr;   // the process's one rule surface, once a transition ran
    bool m_RuleFailureLogged = false;
    GxTaskUIMessageWindowFx* m_MessageWindow = nullptr;
    GxTaskUIBase* m_NameWindow = nullptr;
    GxTaskLayer* m_NameImage = nullptr;
    AvgTaskProxyMain* m_Proxy = nullptr;
};

// The play screen of the task manager of `core` (null when there is none).
SeqAvgMain* FindPlayScreen(GxCore* core);
