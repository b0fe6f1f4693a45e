// The sound builtins: background music and voice, the four effect slots, the four voice slots,
// and the waits for their end. The channels and the records a saved game restores belong to the
// game sound services; these handlers only find the files and pick the arguments.
#include "avg/avg_builtin_handler.h"

#include "avg/game_sound_services.h"
#include "avg/resource_lookup.h"
#include "core/core.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "foundation/wide_string.h"
#include "script/variable.h"

namespace {

// Folder defaults for a core that has no configuration object.
constexpr const char16_t* kDefaultBgmFolder = u"bgms/";
constexpr const char16_t* kDefaultBgvFolder = u"sounds/bgvs/";
constexpr const char16_t* kDefaultSeFolder = u"sounds/se/";

bool StopsOnMissing(const GxCore* core, bool GxSystemConfig::*flag)
{
    return core != nullptr && core->m_SystemConfig != nullptr && core->m_SystemConfig->*flag;
}

GxUserData* Data(GxCore* core)
{
    return core != nullptr ? core->m_UserData : nullptr;
}

// The common form of the wait builtins: a given non-zero argument 0 hides the windows while
// waiting; given bits always allow the wait's own end (bit 0).
void RegisterWait(GxCore* core, GxMoaVariable& args, std::int32_t GxUserData::*hold)
{
    GxUserData* data = Data(core);
    const bool hide = HideRequested(args, 0);
    const std::int32_t bits = WaitBits(args, 1);
    if (data == nullptr)
        return;
    if (hide)
        data->m_HideWindowByCommandFlag = true;
    data->*hold = bits;
}

bool PlaySe(GxCore* core, std::int32_t slot, const std::u16string& name, GxMoaVariable& args, GxMoaWorker* worker,
            GxMoaScriptEntity* entity, GxMoaExecStack* execStack)
{
    using B = AvgBuiltin;
    const std::int32_t fade = B::Arg(args, 1).ToInt();
    if (!B::IsGiven(args, 0)) {
        StopSeChannel(slot, fade);
        return true;
    }
    std::u16string path =
        ConfigFolder(core, GxSystemConfig::kFolderSoundsSE, kDefaultSeFolder) + B::Arg(args, 0).ToString();
    if (!ResolveSoundFile(path)) {
        if (StopsOnMissing(core, &GxSystemConfig::m_ErrorStopNotFound_SE))
            return B::Fail(name, worker, entity, execStack, FormatWide(u"SEファイルが見つかりません[%s]", path.c_str()));
        return true;
    }
    const std::int32_t loop = B::IsGiven(args, 2) ? B::Arg(args, 2).ToInt() : 1;
    const auto loopPos = static_cast<std::uint32_t>(B::Arg(args, 3).ToInt64());
    PlaySeChannel(slot, path, loop, 0, fade, loopPos);
    return true;
}

bool PlayVo(GxCore* core, std::int32_t slot, const std::u16string& name, GxMoaVariable& args, GxMoaWorker* worker,
            GxMoaScriptEntity* entity, GxMoaExecStack* execStack)
{
    using B = AvgBuiltin;
    if (!B::IsGiven(args, 0)) {
        StopVoiceChannel(slot);
        return true;
    }
    const std::u16string voice = B::Arg(args, 0).ToString();
    std::u16string path = voice;
    const std::int32_t row = FindCharacterVoice(path);
    if (row == 0) {
        if (StopsOnMissing(core, &GxSystemConfig::m_ErrorStopNotFound_VO))
            return B::Fail(name, worker, entity, execStack,
                        FormatWide(u"ボイスファイルが見つかりません[%s]", voice.c_str()));
        return true;
    }
    PlayVoiceChannel(slot, path, row);
    return true;
}

}  // namespace

TW_AVG_HANDLER(Bgm)
{
    // The fade is read before anything else, as the stop needs it too.
    const std::int32_t fade = Low32(Arg(args, 1).ToInt64());
    if (!IsGiven(args, 0)) {
        StopBgm(fade);
        return true;
    }
    std::u16string path =
        ConfigFolder(m_Core, GxSystemConfig::kFolderBgms, kDefaultBgmFolder) + Arg(args, 0).ToString();
    if (!ResolveSoundFile(path)) {
        if (StopsOnMissing(m_Core, &GxSystemConfig::m_ErrorStopNotFound_BGM))
            return Fail(name, worker, entity, execStack, FormatWide(u"BGMファイルが見つかりません[%s]", path.c_str()));
        return true;
    }
    const std::int32_t loop = Arg(args, 2).ToInt();
    const std::uint32_t loopPos =
        IsGiven(args, 3) ? static_cast<std::uint32_t>(Arg(args, 3).ToInt64()) : FindBgmLoopPosTime(path);
    const bool skipIfSame = Arg(args, 4).ToInt() != 0;
    PlayBgm(path, loop, 0, loopPos, fade, skipIfSame);
    return true;
}

TW_AVG_HANDLER(BgmWait)
{
    RegisterWait(m_Core, args, &GxUserData::m_Hold_EndOfBGM);
    return true;
}

TW_AVG_HANDLER(Bgv)
{
    const std::int32_t fade = Low32(Arg(args, 1).ToInt64());
    if (!IsGiven(args, 0)) {
        StopBgv(fade);
        return true;
    }
    std::u16string path =
        ConfigFolder(m_Core, GxSystemConfig::kFolderSoundsBgv, kDefaultBgvFolder) + Arg(args, 0).ToString();
    if (!ResolveSoundFile(path)) {
        if (StopsOnMissing(m_Core, &GxSystemConfig::m_ErrorStopNotFound_BGV))
            return Fail(name, worker, entity, execStack, FormatWide(u"BGVファイルが見つかりません[%s]", path.c_str()));
        return true;
    }
    const std::int32_t loop = Arg(args, 2).ToInt();
    const auto loopPos = static_cast<std::uint32_t>(Arg(args, 3).ToInt64());
    PlayBgv(path, loop, 0, loopPos, fade);
    return true;
}

TW_AVG_HANDLER(BgvWait)
{
    RegisterWait(m_Core, args, &GxUserData::m_Hold_EndOfBGV);
    return true;
}

TW_AVG_HANDLER(Se)
{
    return PlaySe(m_Core, 0, name, args, worker, entity, execStack);
}

TW_AVG_HANDLER(Se1)
{
    return PlaySe(m_Core, 1, name, args, worker, entity, execStack);
}

TW_AVG_HANDLER(Se2)
{
    return PlaySe(m_Core, 2, name, args, worker, entity, execStack);
}

TW_AVG_HANDLER(Se3)
{
    return PlaySe(m_Core, 3, name, args, worker, entity, execStack);
}

TW_AVG_HANDLER(SeWait)
{
    RegisterWait(m_Core, args, &GxUserData::m_Hold_EndOfSE);
    return true;
}

TW_AVG_HANDLER(Vo)
{
    return PlayVo(m_Core, 0, name, args, worker, entity, execStack);
}

TW_AVG_HANDLER(Vo1)
{
    return PlayVo(m_Core, 1, name, args, worker, entity, execStack);
}

TW_AVG_HANDLER(Vo2)
{
    return PlayVo(m_Core, 2, name, args, worker, entity, execStack);
}

TW_AVG_HANDLER(Vo3)
{
    return PlayVo(m_Core, 3, name, args, worker, entity, execStack);
}

TW_AVG_HANDLER(VoWait)
{
    RegisterWait(m_Core, args, &GxUserData::m_Hold_EndOfVoice);
    // The wait is for the voices already started; the next message starts with no pending voice.
    if (GxUserData* data = Data(m_Core))
        data->ClearVoiceSlots();
    return true;
}
