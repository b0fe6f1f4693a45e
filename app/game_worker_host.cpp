#include "app/game_worker_host.h"

#include "core/core.h"
#include "avg/resource_lookup.h"
#include "avg/seq_avg_main.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"

namespace {

// The fixed texts of the configuration, for a core without one.
constexpr char16_t kSpeakerSeparators[] = u"「（";
constexpr char16_t kNameImageFolder[] = u"cg/name/";
constexpr std::int32_t kDefaultNameIdentifyMode = 2;

}  // namespace

GxGameWorkerHost::GxGameWorkerHost(GxCore* core) : m_Core(core) {}

GxCore* GxGameWorkerHost::Core() const
{
    return m_Core != nullptr ? m_Core : GxCore::GetInstance();
}

SeqAvgMain* GxGameWorkerHost::FindPlayScreen() const
{
    return ::FindPlayScreen(Core());
}

std::u16string GxGameWorkerHost::GetSpeakerSeparators()
{
    const GxSystemConfig* config = Core()->m_SystemConfig;
    return config != nullptr ? config->m_SpeakerDelimiters : std::u16string(kSpeakerSeparators);
}

std::u16string GxGameWorkerHost::GetNameImageFolder()
{
    const GxSystemConfig* config = Core()->m_SystemConfig;
    return config != nullptr ? config->m_Folders[GxSystemConfig::kFolderCGName] : std::u16string(kNameImageFolder);
}

bool GxGameWorkerHost::NameImageExists(const std::u16string& name)
{
    std::u16string file = name;
    return ResolveImageFile(file);
}

std::int32_t GxGameWorkerHost::GetNameIdentifyMode()
{
    const GxUserData* data = Core()->m_UserData;
    return data != nullptr ? data->m_NameIdentifyMode : kDefaultNameIdentifyMode;
}

bool GxGameWorkerHost::GetIgnoreKinsoku()
{
    const GxUserData* data = Core()->m_UserData;
    return data != nullptr && data->m_IgnoreKinsoku;
}

void GxGameWorkerHost::AddMessageLog(const std::u16string& name, const std::u16string& message, bool ignoreKinsoku,
                                     bool disableAutoNewline)
{
    if (GxUserData* data = Core()->m_UserData)
        data->AddMessageLog(name, message, ignoreKinsoku, disableAutoNewline);
}

bool GxGameWorkerHost::IsMessageRead(const std::u16string& scriptName, std::int32_t lineKey)
{
    const GxUserDataPerman* flags = Core()->m_UserDataPerman;
    return flags != nullptr && flags->IsMessageRead(scriptName, lineKey);
}

void GxGameWorkerHost::SetPermanentFlag(const std::u16string& scriptName, std::int32_t lineKey)
{
    if (GxUserDataPerman* flags = Core()->m_UserDataPerman)
        flags->SetPermanentFlag(scriptName, lineKey);
}

bool GxGameWorkerHost::HasPlayScreen()
{
    return FindPlayScreen() != nullptr;
}

void GxGameWorkerHost::SetMessageText(const std::u16string& text, bool read, bool ignoreKinsoku, std::int32_t flags)
{
    if (SeqAvgMain* screen = FindPlayScreen())
        screen->SetMessageText(text, read, ignoreKinsoku, flags);
}

void GxGameWorkerHost::SetSpeakerName(const std::u16string& name, std::int32_t mode)
{
    if (SeqAvgMain* screen = FindPlayScreen())
        screen->SetSpeakerName(name, mode);
}

void GxGameWorkerHost::ClearSpeakerName()
{
    if (SeqAvgMain* screen = FindPlayScreen())
        screen->ClearSpeakerName();
}

void InstallGameWorkerHost()
{
    static GxGameWorkerHost host;
    SetGameWorkerHost(&host);
}
