// GxUIListenerBase: how widgets hand their events to a folder (usually their screen), and the
// event record they fill.
#pragma once

#include "foundation/value_types.h"

#include <cstdint>

class GxTaskUIBase;  // the widget base, defined by the widgets

// One widget event, copied by value into a folder's queue.
struct GxUIEventParam {
    GxTaskUIBase* m_Sender = nullptr;
    // 1 to 26 select a handler; any other code reaches none.
    std::int32_t m_Code = 0;
    std::int32_t m_Value1 = 0;
    std::int32_t m_Value2 = 0;
    GxVector3 m_Vector[3];
    std::int32_t m_Value = 0;
    std::uint8_t m_Flag = 0;
};

constexpr std::int32_t kUIEventCodeFirst = 1;
constexpr std::int32_t kUIEventCodeLast = 26;

// Each handler returns non-zero when it consumed the event.
class GxUIListenerBase {
public:
    // The entry a widget calls; false when the event was not accepted.
    virtual bool PostUIEvent(GxTaskUIBase* sender, const GxUIEventParam* event) = 0;
    // Code 1: the widget-to-screen notification.
    virtual int OnUIEvent(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode2(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode3(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode4(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode5(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode6(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode7(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode8(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode9(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode10(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode11(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode12(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode13(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode14(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode15(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode16(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode17(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode18(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode19(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode20(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode21(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode22(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode23(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode24(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode25(GxTaskUIBase*, const GxUIEventParam*) { return 0; }
    virtual int OnUIEventCode26(GxTaskUIBase*, const GxUIEventParam*) { return 0; }

protected:
    ~GxUIListenerBase() = default;
};
