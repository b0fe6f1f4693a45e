#include "avg/module_services.h"

#include "core/core.h"
#include "core/task_actor.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "foundation/log.h"
#include "script/script_engine.h"
#include "script/variable.h"
#include "script/worker.h"

namespace {

constexpr const char16_t* kGlobalFadeName = u"$GLOBALFADE:SeqAvgMain";
constexpr const char16_t* kBackgroundLayerName = u"$BGLAYER:SeqAvgMain";
constexpr const char16_t* kPlayScreenName = u"SeqAvgMain";
// The configuration's own default, for a core that has no configuration object.
constexpr const char16_t* kDefaultBackground = u"cg/bg/黒.png";
constexpr std::int32_t kStartFadeMs = 1000;

GxTaskManage* Manage()
{
    return GxCore::GetInstance()->m_TaskManage;
}

GxTaskBase* FindPlayScreenTask(const char16_t* name)
{
    GxTaskManage* manage = Manage();
    return manage ? manage->FindTask(name) : nullptr;
}

void GlobalFade(std::int32_t ms, bool towardsBlack)
{
    auto* fade = dynamic_cast<GxTaskActor*>(FindPlayScreenTask(kGlobalFadeName));
    if (!fade)
        return;
    fade->ClearActions();
    if (ms > 0) {
        if (towardsBlack)
            fade->AddFadeInAction(0, ms);
        else
            fade->AddFadeOutAction(0, ms);
    } else {
        fade->SetAlpha(towardsBlack ? 255 : 0);
    }
}

}  // namespace

void AvgGlobalFadeIn(std::int32_t ms)
{
    GlobalFade(ms, false);
}

void AvgGlobalFadeOut(std::int32_t ms)
{
    GlobalFade(ms, true);
}

void LoadDefaultBackground()
{
    auto* layer = dynamic_cast<GxTaskLayer*>(FindPlayScreenTask(kBackgroundLayerName));
    if (!layer)
        return;
    const GxSystemConfig* config = GxCore::GetInstance()->m_SystemConfig;
    layer->LoadFlexImage(config ? config->m_DefaultBgImageFile : std::u16string(kDefaultBackground), 0);
}

void AvgStartScriptAtLabel(std::int32_t worker, const std::u16string& label)
{
    LoadDefaultBackground();
    AvgGlobalFadeIn(kStartFadeMs);
    GxMoaWorker* mainWorker = GetMainWorker();
    if (!mainWorker || !mainWorker->ResetAndJump(label, nullptr))
        LogPrint(u"スクリプトにラベル %s が存在しないため実行できません\n", label.c_str());
    GxTaskManage* manage = Manage();
    if (manage)
        manage->ChangeSequenceByCName(kPlayScreenName, worker, 0, 0);
    else
        LogPrint(u"遷移先のシーケンスが見つかりません(%s)\n", kPlayScreenName);
}

bool MoaArgIsNonEmpty(const GxMoaVariable* value)
{
    return value && !value->IsNull() && !value->ToString().empty();
}

void UINotifyParam::Init(GxUIEventParam* param, GxTaskUIBase* sender, std::int32_t code, std::int32_t value)
{
    param->m_Sender = sender;
    param->m_Code = code;
    param->m_Value1 = value;
    param->m_Value2 = 0;
    for (GxVector3& vector : param->m_Vector)
        vector = GxVector3();
    param->m_Value = 0;
    param->m_Flag = 0;
}
