// SeqAvgLog: the back-log screen. It shows the game data's message log a page of rows at a time,
// each row with its speaker and, when the message had voices, a button that plays them again;
// buttons and the mouse wheel page through it and "btn_back" returns to the screen shown before.
#pragma once

#include "core/seq_transit_base.h"

#include <cstdint>
#include <string>

class GxCore;
class GxTaskFolder;
class GxTaskLayer;
class GxTaskUIBase;
struct GxMessageLogElement;

class SeqAvgLog : public GxSeqTransitBase {
public:
    static constexpr const char16_t* kName = u"SeqAvgLog";
    // Rows per page when no game configuration is reachable.
    static constexpr std::int32_t kDefaultRowsPerPage = 5;
    // A configuration asking for more rows gets this many: the layout never has more.
    static constexpr std::int32_t kMaxRowsPerPage = 64;

    // Builds "$ROOT:SeqAvgLog", "$UI:SeqAvgLog" with the layout's widgets for it, and
    // "$BGLAYER:SeqAvgLog" behind them.
    explicit SeqAvgLog(GxTaskBase* owner);
    ~SeqAvgLog() override;

    // Shows the last page, ends skip and auto mode (the play screen's buttons follow) and shows
    // the back-log picture at once.
    void OnSequenceEnter(std::int32_t worker) override;
    // Releases the back-log picture.
    void OnSequenceLeave(std::int32_t worker) override;
    // One row per event, up or down; turning down on the last page presses "btn_back". Never
    // consumed, so the wheel also reaches what lies behind.
    int OnMouseWheel(const GxVector2* point, std::int32_t delta, std::uint32_t keys) override;
    // Presses "btn_back"; not consumed.
    int OnMouseRightDown(const GxVector2* point, std::uint32_t keys, std::int32_t doubleClick) override;
    // The paging buttons, the voice buttons and "btn_back" (the only one consumed).
    int OnUIEvent(GxTaskUIBase* sender, const GxUIEventParam* event) override;

    // Fills each row from the log entry top row + i: the text window "tip_logwindow" i and the
    // voice button "btn_voiceplay" i, shown only for an entry with a voice.
    virtual void RefreshLogPage();

    std::int32_t GetTopRow() const { return m_TopRow; }
    std::int32_t GetRowsPerPage() const;

protected:
    // One voice of a replayed entry; the sound services play it once on the slot's channel.
    virtual void PlayLogVoice(std::int32_t charID, std::int32_t slot, const std::u16string& file);

private:
    GxCore* Core() const;
    std::int32_t GetLogCount() const;
    // The log count minus the rows per page, at least 0.
    std::int32_t GetLastTopRow() const;
    const GxMessageLogElement* GetEntry(std::int32_t index) const;
    GxTaskUIBase* FindWidget(const char16_t* localName, std::int32_t index) const;
    // A click notification at the point to "btn_back", when the input gate lets it through.
    void PressBack(const GxVector2* point);
    void MoveTopRow(std::int32_t rows);
    void ReplayVoices(std::int32_t row);

    GxTaskFolder* m_UIFolder = nullptr;
    GxTaskLayer* m_BackgroundLayer = nullptr;
    std::int32_t m_TopRow = 0;
};
