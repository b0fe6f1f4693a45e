#include "data/data_services.h"

#include "core/core_config.h"
#include "data/system_config.h"
#include "core/core.h"
#include "data/user_config.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"

#include <algorithm>

namespace {

void DeleteSystemConfig(GxSystemConfig* config)
{
    delete config;
}

void DeleteUserConfig(GxUserConfig* options)
{
    delete options;
}

void DeleteUserData(GxUserData* data)
{
    delete data;
}

void DeleteUserDataPerman(GxUserDataPerman* flags)
{
    delete flags;
}

}  // namespace

GxSystemConfigHolder GxDataServices::CreateSystemConfig()
{
    return GxSystemConfigHolder(new GxSystemConfig(), {&DeleteSystemConfig});
}

bool GxDataServices::LoadSysConf(GxSystemConfig& config)
{
    return config.LoadSysConf();
}

bool GxDataServices::LoadSettingIni(GxSystemConfig& config)
{
    return config.LoadSettingIni();
}

void GxDataServices::ReadCoreConfig(const GxSystemConfig& config, GxCoreConfig& values)
{
    static_assert(GxSystemConfig::kFontSizeCount == kCoreConfigFontSizeCount);
    values.m_AppTitle = config.m_AppTitle;
    values.m_SaveDirName = config.m_SaveDirName;
    values.m_SaveToMyDocuments = config.m_SaveToMyDocuments;
    values.m_DebugModeFlag = config.m_DebugModeFlag;
    values.m_DebugConsoleFlag = config.m_DebugConsoleFlag;
    values.m_AutoCompile = config.m_AutoCompile;
    values.m_TextEditorCommand = config.m_TextEditorCommand;
    values.m_SkipSlightError = config.m_SkipSlightError;
    values.m_CleanErrorLog = config.m_CleanErrorLog;
    values.m_ClearColor = config.m_ClearColor;
    values.m_TransitTime = config.m_TransitTime;
    values.m_UIImageSetFolder = config.m_Folders[GxSystemConfig::kFolderUIGis];
    std::copy(std::begin(config.m_FontSize), std::end(config.m_FontSize), std::begin(values.m_FontSize));
    values.m_ErrorImageFile = config.m_ErrorImageFile;
    values.m_NameImageFolder = config.m_Folders[GxSystemConfig::kFolderCGName];
    values.m_MesWinTextBuiltinFontName = config.m_MesWinTextBuiltinFontName;
}

bool SelectSoundEngine(GxSystemConfig& config, const GxUserConfig& options, DWORD windowsMajor)
{
    switch (options.m_SoundEngineMode) {
    case 0:
        config.m_SoundEngineXAudio2 = windowsMajor >= 6;
        break;
    case 1:
        config.m_SoundEngineXAudio2 = false;
        break;
    case 2:
        config.m_SoundEngineXAudio2 = true;
        break;
    default:
        break;   // an unknown choice leaves the flag as it was
    }
    return config.m_SoundEngineXAudio2;
}

GxUserConfigHolder GxDataServices::CreateUserConfig()
{
    return GxUserConfigHolder(new GxUserConfig(), {&DeleteUserConfig});
}

bool GxDataServices::SaveUserConfig(GxUserConfig& options, GxCore& core)
{
    return ::SaveUserConfig(&options, &core);
}

std::int32_t GxDataServices::GetMovieAttenuation(const GxUserConfig& options)
{
    return options.GetMovieAttenuation();
}

GxUserDataHolder GxDataServices::CreateUserData(GxCore& core)
{
    return GxUserDataHolder(new GxUserData(&core, core.m_SystemConfig), {&DeleteUserData});
}

GxUserDataPermanHolder GxDataServices::CreateUserDataPerman(GxCore& core)
{
    return GxUserDataPermanHolder(new GxUserDataPerman(&core), {&DeleteUserDataPerman});
}

void GxDataServices::SetLastDialogResult(GxUserData& data, std::int32_t result)
{
    data.m_LastDialogResult = result;
}

std::u16string GxDataServices::GetRestoreSequence(const GxUserData& data)
{
    return data.GetRestoreSequence();
}

bool GxDataServices::SavePermanentData(GxUserDataPerman& flags, const std::u16string& path, bool binary)
{
    return ::SavePermanentData(&flags, path, binary);
}

void InstallDataServices()
{
    static GxDataServices services;
    SetDataServices(&services);
}
