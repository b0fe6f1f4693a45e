// Screen transitions. GxTransitParam is a timed fade record (also embedded by the layer task for
// its content cross-fade). GxSeqTransitBase is a screen that enters with a cross-fade: the screen
// it replaces captures its last picture, and while the fade runs the new screen stays not ready,
// takes no mouse, key or key-action input and draws the fading picture in render list 9.
#pragma once

#include "core/seq_base.h"

#include <cstdint>

class GxContentWriterBase;
class GxContentReaderBase;

class GxTransitParam {
public:
    GxTransitParam() = default;
    virtual ~GxTransitParam() = default;
    // "m_Transit" (Bool), "m_TransitTimeLeft" (S32), "m_TransitTimeTotal" (S32).
    virtual bool WriteState(GxContentWriterBase& writer);
    // The same fields; true when the reader has counted no error.
    virtual bool ReadState(GxContentReaderBase& reader);

    // Progress 0 to 1; 1 when no transition runs or its total time is not positive.
    float GetRate() const;

    bool m_Transit = false;
    std::int32_t m_TransitTimeLeft = 0;
    std::int32_t m_TransitTimeTotal = 0;
};

// m_InputFlags bits a running fade sets: the mouse, key-input and key-action walks skip the
// sequence and its subtree.
constexpr std::uint32_t kTransitInputBlock = kInputSkipMouse | kInputSkipKeyInput | kInputSkipKeyAction;

// The render list and draw value of the fading picture.
constexpr std::int32_t kTransitRenderList = 9;
constexpr std::int32_t kTransitDrawValue = 1;

// The virtual screen the capture covers.
constexpr float kTransitScreenWidth = 1024.0f;
constexpr float kTransitScreenHeight = 768.0f;

// Used when no game configuration is reachable.
constexpr std::int32_t kDefaultTransitTime = 400;

class GxSeqTransitBase : public GxSeqBase {
public:
    // Sets the transition-wanted bit 0x40 of m_KindFlags.
    GxSeqTransitBase(GxTaskBase* owner, const char16_t* name);
    ~GxSeqTransitBase() override = default;

    // The sequence's leave step, ends its own fade, and starts the entering screen's fade when
    // that screen wants one.
    void OnSequenceLeave(std::int32_t worker) override;
    // Counts the fade down; the slot becomes ready only once the fade is over.
    int StartMain(std::int32_t step, std::uint64_t elapsed) override;
    // List 0 value 0; while fading, list 9 value 1 as well.
    int Render(std::int32_t step, std::uint64_t elapsed) override;
    // Value 0: the screen clear; value 1: the fading picture; other values: nothing.
    int Draw(std::int32_t value, std::int32_t listIndex) override;

    // Starts a fade of `milliseconds` and blocks the input; true.
    virtual bool StartTransit(std::int32_t milliseconds);
    // False when no fade runs (the input bits stay as they are); else ends it and unblocks.
    virtual bool StopTransit();
    virtual bool IsInTransit() const { return m_TransitParam.m_Transit; }
    // The captured picture over the whole virtual screen, alpha 1 - rate, preset 2.
    virtual void DrawTransit();

    GxTransitParam& GetTransitParam() { return m_TransitParam; }
    const GxTransitParam& GetTransitParam() const { return m_TransitParam; }

    GxTransitParam m_TransitParam;

private:
    std::int32_t GetConfiguredTransitTime() const;
};
