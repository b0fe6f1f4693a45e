// The "TEXT" block, a message of several script lines with its speaker and voice, and the waits
// for a click, for a time and for the whole visual tree to come to rest. A wait is a hold of the
// saved game; the play screen runs no statement while one is set and releases or cuts it.
#include "avg/avg_builtin_handler.h"

#include "avg/avg_block_reader.h"
#include "avg/game_sound_services.h"
#include "avg/resource_lookup.h"
#include "avg/seq_avg_main.h"
#include "avg/task_tree_walks.h"
#include "core/core.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "foundation/wide_string.h"
#include "script/variable.h"
#include "script/worker.h"

#include <string>

namespace {

constexpr std::int32_t kTextVoiceSlot = 0;
constexpr std::int32_t kTextNameMode = 3;   // the name's image when there is one, else its text
constexpr std::int32_t kClickBit = 2;

}  // namespace

TW_AVG_HANDLER(Text)
{
    const std::u16string speaker = Arg(args, 0).ToString();
    if (IsGiven(args, 1)) {
        const std::u16string voice = Arg(args, 1).ToString();
        std::u16string file = voice;
        const std::int32_t character = FindCharacterVoice(file);
        if (character != 0) {
            PlayVoiceChannel(kTextVoiceSlot, file, character);
        } else {
            const GxSystemConfig* config = m_Core != nullptr ? m_Core->m_SystemConfig : nullptr;
            if (config != nullptr && config->m_ErrorStopNotFound_VO)
                return Fail(name, worker, entity, execStack,
                            FormatWide(u"ボイスファイルが見つかりません[%s]", voice.c_str()));
        }
    }
    // The statement's own line, before the block moves the worker on.
    const std::int32_t line = worker != nullptr ? worker->GetLine(nullptr) : -1;
    const AvgScriptBlock block = ReadAvgScriptBlock(worker, u"endtext");
    if (block.m_Failed)
        return Fail(name, worker, entity, execStack,
                    FormatWide(u"ENDTEXTに到達する前に処理できないトークンがあります[%s]", block.m_BadToken.c_str()));
    std::u16string text;
    for (std::size_t i = 0; i < block.m_Texts.size(); ++i) {
        if (i > 0)
            text += u"%r";
        text += block.m_Texts[i];
    }

    const std::u16string scriptName = worker != nullptr ? worker->GetScriptName(nullptr) : std::u16string();
    const std::int32_t lineKey = line + 1;
    GxUserDataPerman* flags = m_Core != nullptr ? m_Core->m_UserDataPerman : nullptr;
    const bool read = flags != nullptr && flags->IsMessageRead(scriptName, lineKey);
    if (SeqAvgMain* screen = FindPlayScreen(m_Core)) {
        screen->SetSpeakerName(speaker, kTextNameMode);
        screen->SetMessageText(text, read, true, 1);
    }
    if (flags != nullptr)
        flags->SetPermanentFlag(scriptName, lineKey);
    if (GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr)
        data->AddMessageLog(speaker, text, true, true);
    return true;
}

TW_AVG_HANDLER(WaClick)
{
    GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr;
    if (data == nullptr)
        return true;
    if (HideRequested(args, 0))
        data->m_HideWindowByCommandFlag = true;
    data->m_Hold_WaitClick = WaitBits(args, 1) | kClickBit;
    return true;
}

TW_AVG_HANDLER(WaTime)
{
    GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr;
    if (data == nullptr)
        return true;
    const std::int64_t ms = IsGiven(args, 0) ? Arg(args, 0).ToInt64() : 0;
    if (HideRequested(args, 1))
        data->m_HideWindowByCommandFlag = true;
    data->m_Hold_WaitTime = WaitBits(args, 2);
    data->m_Hold_WaitTime_TimeLeft = static_cast<std::int32_t>(static_cast<std::uint64_t>(ms));
    return true;
}

TW_AVG_HANDLER(WaLayer)
{
    GxUserData* data = m_Core != nullptr ? m_Core->m_UserData : nullptr;
    GxTaskManage* manage = m_Core != nullptr ? m_Core->m_TaskManage : nullptr;
    if (data == nullptr || manage == nullptr)
        return true;
    // A tree already at rest has nothing to wait for.
    GxTaskBase* visual = manage->FindTask(u"$VISUAL:SeqAvgMain");
    if (!IsTaskTreeActing(visual) && !IsLayerTreeInTransition(visual))
        return true;
    if (HideRequested(args, 0))
        data->m_HideWindowByCommandFlag = true;
    data->m_Hold_EndOfLayerActionAll = WaitBits(args, 1);
    return true;
}
