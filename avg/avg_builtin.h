// The adventure module's script builtins: one object, made by the module core when it attaches
// and deleted after the game reset, that binds the builtins into the script engine's binder.
// Handlers live beside it by theme: avg_builtin_info.cpp (engine and game-data values),
// avg_builtin_message.cpp (the message window's flags and the user dialog),
// avg_builtin_select.cpp (the choice items), avg_builtin_extra.cpp (replays, event pictures,
// notices, the title and the extra option bits), avg_builtin_stand.cpp (standing characters),
// avg_builtin_stage.cpp (background, event picture and whole-screen effects),
// avg_builtin_movie.cpp (movies), avg_builtin_sound.cpp (music, voices and sound effects) and
// avg_builtin_text.cpp (text blocks and waits).
#pragma once

#include "core/module_core_base.h"
#include "script/delegate_base.h"

#include <cstddef>
#include <cstdint>
#include <string>

class GxCore;
class GxTaskLayer;
struct DBAvgCharRow;
class GxMoaFunctionBinder;
class GxMoaVariable;
struct GxSeqWorker;

// What a module's builtin set offers the module core.
class GxModuleBuiltinBase {
public:
    virtual ~GxModuleBuiltinBase() = default;
};

class AvgBuiltin : public GxModuleBuiltinBase, public GxCoreRemainder {
public:
    using Handler = bool (AvgBuiltin::*)(const std::u16string& name, std::int64_t index, GxMoaVariable& args,
                                         GxMoaWorker* worker, GxMoaScriptEntity* entity,
                                         GxMoaExecStack* execStack, GxMoaVariable& result);
    struct Entry {
        const char16_t* name;
        Handler handler;   // null: not built yet, so not bound
    };
    static constexpr std::size_t kBuiltinCount = 97;
    // Every builtin name of the module in registration order; aliases share a handler.
    static const Entry kBuiltins[kBuiltinCount];

    explicit AvgBuiltin(GxCore* core) : m_Core(core) {}
    ~AvgBuiltin() override = default;
    AvgBuiltin(const AvgBuiltin&) = delete;
    AvgBuiltin& operator=(const AvgBuiltin&) = delete;

    // One delegate per row that has a handler, added in table order. "Print" and "Debug" are
    // unbound first, so the module's replace the script engine's defaults; any other name that
    // is bound already is refused by the binder.
    virtual void RegisterBuiltins(GxMoaFunctionBinder* binder);

    GxCore* GetCore() const { return m_Core; }

    // Argument i of the array, which is grown with Nulls to i + 1 elements when shorter (never
    // shrunk). The reference lasts until a later argument is asked for.
    static GxMoaVariable& Arg(GxMoaVariable& args, std::int32_t index);
    // Argument i was given: present, not Null and not empty as text.
    static bool IsGiven(GxMoaVariable& args, std::int32_t index);
    // Reports the message as the builtin's error ("err:" line of the worker's script) and
    // returns false, which stops the worker.
    static bool Fail(const std::u16string& name, GxMoaWorker* worker, GxMoaScriptEntity* entity,
                     GxMoaExecStack* execStack, const std::u16string& message);

#define TW_AVG_BUILTIN(handler)                                                                         \
    bool handler(const std::u16string& name, std::int64_t index, GxMoaVariable& args, GxMoaWorker* worker, \
                 GxMoaScriptEntity* entity, GxMoaExecStack* execStack, GxMoaVariable& result)
    // Engine and game-data values
    TW_AVG_BUILTIN(Print);
    TW_AVG_BUILTIN(Debug);
    TW_AVG_BUILTIN(GetSaveDir);
    TW_AVG_BUILTIN(GetCurSeqName);
    TW_AVG_BUILTIN(GetPrevSeqName);
    TW_AVG_BUILTIN(GetCurSeqParam0);
    TW_AVG_BUILTIN(GetCurSeqParam1);
    TW_AVG_BUILTIN(GetPrevSeqParam0);
    TW_AVG_BUILTIN(GetPrevSeqParam1);
    TW_AVG_BUILTIN(GetLastSelect);
    TW_AVG_BUILTIN(GetDialogResult);
    TW_AVG_BUILTIN(GetDebugModeFlag);
    TW_AVG_BUILTIN(GetSystemSignature);
    TW_AVG_BUILTIN(SetGameDataTitle);
    TW_AVG_BUILTIN(GetGameDataTitle);
    TW_AVG_BUILTIN(GetReplayMode);
    TW_AVG_BUILTIN(GetPassedLabel);
    TW_AVG_BUILTIN(SetNameIdentifyMode);
    // Message window flags and the user dialog
    TW_AVG_BUILTIN(Dlg);
    TW_AVG_BUILTIN(Msg);
    TW_AVG_BUILTIN(MsgN);
    TW_AVG_BUILTIN(MsgShow);
    TW_AVG_BUILTIN(MsgHide);
    TW_AVG_BUILTIN(MsgClear);
    // Movies (avg_builtin_movie.cpp); music, effects and voices (avg_builtin_sound.cpp)
    TW_AVG_BUILTIN(Mv);
    TW_AVG_BUILTIN(MvWait);
    TW_AVG_BUILTIN(MvAutoStop);
    TW_AVG_BUILTIN(Bgm);
    TW_AVG_BUILTIN(BgmWait);
    TW_AVG_BUILTIN(Bgv);
    TW_AVG_BUILTIN(BgvWait);
    TW_AVG_BUILTIN(Se);
    TW_AVG_BUILTIN(Se1);
    TW_AVG_BUILTIN(Se2);
    TW_AVG_BUILTIN(Se3);
    TW_AVG_BUILTIN(SeWait);
    TW_AVG_BUILTIN(Vo);
    TW_AVG_BUILTIN(Vo1);
    TW_AVG_BUILTIN(Vo2);
    TW_AVG_BUILTIN(Vo3);
    TW_AVG_BUILTIN(VoWait);
    // Choice items
    TW_AVG_BUILTIN(Sel);
    TW_AVG_BUILTIN(SelGo);
    TW_AVG_BUILTIN(SelGoSub);
    TW_AVG_BUILTIN(SelVisible);
    TW_AVG_BUILTIN(SelEnable);
    TW_AVG_BUILTIN(SelCancel);
    TW_AVG_BUILTIN(SelHash);
    // Replays, event pictures, notices, the title and the extra option bits
    TW_AVG_BUILTIN(NoticeSys);
    TW_AVG_BUILTIN(NoticeUser);
    TW_AVG_BUILTIN(RpSet);
    TW_AVG_BUILTIN(RpUnset);
    TW_AVG_BUILTIN(RpSetAll);
    TW_AVG_BUILTIN(RpUnsetAll);
    TW_AVG_BUILTIN(RpEnd);
    TW_AVG_BUILTIN(CgSet);
    TW_AVG_BUILTIN(CgSetGroup);
    TW_AVG_BUILTIN(CgSetAll);
    TW_AVG_BUILTIN(CgUnsetAll);
    TW_AVG_BUILTIN(JumpToTitle);
    TW_AVG_BUILTIN(SetExtraOption);
    TW_AVG_BUILTIN(GetExtraOption);
    // Backgrounds, event pictures and whole-screen effects (avg_builtin_stage.cpp)
    TW_AVG_BUILTIN(Bg);
    TW_AVG_BUILTIN(BgSw);
    TW_AVG_BUILTIN(BgColor);
    TW_AVG_BUILTIN(BgActMove);
    TW_AVG_BUILTIN(BgWait);
    TW_AVG_BUILTIN(Ev);
    TW_AVG_BUILTIN(EvSw);
    TW_AVG_BUILTIN(Fin);
    TW_AVG_BUILTIN(Fout);
    TW_AVG_BUILTIN(Flash);
    TW_AVG_BUILTIN(FlashWait);
    TW_AVG_BUILTIN(Shake);
    TW_AVG_BUILTIN(ShakeEnd);
    // Standing characters and sprites
    TW_AVG_BUILTIN(SpColor);
    TW_AVG_BUILTIN(SpAlpha);
    TW_AVG_BUILTIN(SpBlend);
    TW_AVG_BUILTIN(SpLcg);
    TW_AVG_BUILTIN(SpLnc);
    TW_AVG_BUILTIN(SpWait);
    TW_AVG_BUILTIN(SpShake);
    TW_AVG_BUILTIN(SpShakeEnd);
    TW_AVG_BUILTIN(SpSub);
    TW_AVG_BUILTIN(SpClearAll);
    TW_AVG_BUILTIN(SpActMove);
    TW_AVG_BUILTIN(SpActFinish);
    TW_AVG_BUILTIN(Stand);
    // Text blocks and waits
    TW_AVG_BUILTIN(Text);
    TW_AVG_BUILTIN(WaClick);
    TW_AVG_BUILTIN(WaTime);
    TW_AVG_BUILTIN(WaLayer);
#undef TW_AVG_BUILTIN

private:
    // The sequence slot's record, or null (with a warning) for a slot other than 0 or 1.
    const GxSeqWorker* SequenceSlot(const std::u16string& name, GxMoaVariable& args) const;
    bool SetLabels(const std::u16string& name, GxMoaVariable& args, GxMoaWorker* worker, GxMoaScriptEntity* entity,
                   GxMoaExecStack* execStack, bool useGosub);
    bool SetItemFlags(GxMoaVariable& args, bool visible);
    void PostNotice(const std::u16string& name, GxMoaVariable& args, bool user);
    // "MSG" and "MSGN": the read state, the play screen (speaker cleared when null), the read
    // flag and the log entry.
    void ShowMessage(GxMoaWorker* worker, const std::u16string* speaker, const std::u16string& text);
    // "BG.SW" and "EV.SW": `eventPicture` selects the event folder, its messages, the gallery
    // flag and the companion picture.
    bool SwitchPicture(const std::u16string& name, GxMoaVariable& args, GxMoaWorker* worker, GxMoaScriptEntity* entity,
                       GxMoaExecStack* execStack, bool eventPicture);
    // The standing layer or the character row named by argument 0; null once the failure is
    // reported. `shortMessage` selects the not-found text of the colour, alpha, blend and block builtins.
    GxTaskLayer* StandLayer(const std::u16string& name, GxMoaVariable& args, GxMoaWorker* worker,
                            GxMoaScriptEntity* entity, GxMoaExecStack* execStack, bool shortMessage);
    const DBAvgCharRow* StandRow(const std::u16string& name, GxMoaVariable& args, GxMoaWorker* worker,
                                 GxMoaScriptEntity* entity, GxMoaExecStack* execStack);

    GxCore* m_Core = nullptr;
};

// Position keywords of the sprite and standing-character builtins on the 1024 x 768 screen. A
// number gives itself; "L" 0, "M" the integer part of (1024 - width) halved, "R" that integer
// part; "N", any other text (digits included) and Null give the default.
float AvgParseHorizontalPosition(const GxMoaVariable& value, float defaultValue, float width);
// The same over the height with "T", "M" and "B"; "N" gives the default, but any other text
// and Null give 0.
float AvgParseVerticalPosition(const GxMoaVariable& value, float defaultValue, float height);
