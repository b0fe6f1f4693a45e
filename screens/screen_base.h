// GxScreenBase: what every game screen shares. Its own task subtree ("$ROOT:<name>" with the
// widget folder "$UI:<name>" and the background layer "$BGLAYER:<name>" behind everything), the
// widgets of the layout rows under the widget folder, the per-frame update that hands the queued
// widget events to the handler, the render and draw bodies, the handler pattern (the play
// screen's own dialog answers first, a button's sound, then the screen's names), changes to
// other screens by name, raw clicks turned into widget events, and yes/no questions through the
// resident system layer.
#pragma once

#include "core/seq_transit_base.h"
#include "screens/drawn_state_key.h"

#include <cstdint>
#include <string>

class GxCore;
class GxTaskLayer;
class GxTaskUIBase;
class SeqSystem;

// The third render style queues the screen once more for a state reset over the widgets.
constexpr std::int32_t kScreenOverlayRenderList = 5;
constexpr std::int32_t kScreenOverlayDrawMode = 3;
constexpr float kScreenOverlayDepth = 13000.0f;
constexpr std::int32_t kScreenOverlayDrawTag = 2;
constexpr float kScreenBackgroundOrderZ = -10.0f;

// Shows or hides the widget; nothing without one.
void ShowWidget(GxTaskUIBase* widget, bool show);
// The name a widget's events go by: its local name, or its task name without one.
const std::u16string& WidgetEventName(const GxTaskUIBase& widget);

class GxScreenBase : public GxSeqTransitBase {
public:
    enum class RenderStyle {
        kPlain,         // list 0, and list 9 while the transition runs
        kOverlay,       // also list 5, draw mode 3, depth 13000, tag 2
    };

    // Builds the subtree; the widgets of the widget folder come from the layout rows whose
    // parent name is the folder's task name.
    GxScreenBase(GxTaskBase* owner, const char16_t* name, RenderStyle style = RenderStyle::kPlain);
    ~GxScreenBase() override;

    // The queued widget events, oldest first, then the frame counter; 0.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    int Render(std::int32_t step, std::uint64_t elapsed) override;
    // Tag 0 the screen clear, tag 1 the transition, tag 2 (overlay style) the 2D states reset in
    // a nested scene.
    int Draw(std::int32_t value, std::int32_t listIndex) override;
    // The answers of the play screen's own user dialog go to the base (0 then); a button plays
    // its sound; then OnWidgetEvent: 1 when it acted on the sender's name.
    int OnUIEvent(GxTaskUIBase* widget, const GxUIEventParam* event) override;

    GxTaskFolder* GetRootFolder() const { return m_RootFolder; }
    GxTaskFolder* GetUIFolder() const { return m_UIFolder; }
    GxTaskLayer* GetBackgroundLayer() const { return m_Background; }
    // The widget of that name (and index) under the widget folder, or null.
    GxTaskUIBase* FindWidget(const char16_t* name, std::int32_t index = 0) const;

protected:
    // The manager's core, or null before the screen is attached.
    GxCore* GetCore() const;
    // The system config's folder of that index; the built-in default without a core or config.
    std::u16string GetConfigFolder(std::int32_t folder) const;
    // The user-interface image set folder; the built-in default without a core.
    std::u16string GetImageSetFolder() const;
    // The resident system layer, or null without one.
    SeqSystem* SystemLayer() const;
    // The screen's own names; true when the name was one of them.
    virtual bool OnWidgetEvent(GxTaskUIBase* widget, const std::u16string& name, const GxUIEventParam* event);
    // Builds the layout rows of `folder` (whose task name is their parent name) under it.
    void CreateLayoutWidgets(GxTaskFolder* folder);
    // A change of this screen's worker slot to the screen of that name; a missing one is logged
    // by the manager and nothing changes. The manager's answer.
    bool ChangeScreen(const char16_t* name, std::int32_t word0 = 0, std::int32_t word1 = 0);
    // A raw click as the event `code` of `widget`: not while a system dialog is open, and only
    // when the input gate lets the widget take input. 1 when reported (consumed).
    int ReportRawClick(GxTaskUIBase* widget, std::int32_t code);
    // Opens the resident system layer's user dialog; the answer comes back to this screen as a
    // widget event of one of the dialog's buttons. False without a system layer.
    bool AskUser(const std::u16string& tag, const std::u16string& text, std::int32_t buttonSet);
    // The system layer's current user dialog tag (empty without one).
    std::u16string GetUserDialogTag() const;
    // What the screen draws on its own, beside its widgets and layers (which move the scene
    // generation themselves); the base draws nothing of its own.
    virtual void AddDrawnState(GxDrawnStateKey&) const {}
    // Once a pass: moves the scene generation when the screen's own drawing changed.
    void NoteDrawnState();

private:
    RenderStyle m_RenderStyle;
    std::uint64_t m_DrawnState = 0;
    GxTaskFolder* m_RootFolder = nullptr;
    GxTaskFolder* m_UIFolder = nullptr;
    GxTaskLayer* m_Background = nullptr;
};
