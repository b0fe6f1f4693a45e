#include "core/standins/data_standin.h"

#include "core/standins/standin_trace.h"
#include "foundation/file.h"
#include "foundation/ini_file.h"
#include "foundation/wide_string.h"

GxSystemConfigStandin::GxSystemConfigStandin() = default;

GxSystemConfigStandin::~GxSystemConfigStandin()
{
    GxStandinTrace::Record(u"~GxSystemConfig");
}

bool GxSystemConfigStandin::LoadSysConf()
{
    GxINIFile ini;
    if (!ini.Parse(u"system/sysconf.ini"))
        return false;
    m_AppTitle = ini.GetString(u"APP_TITLE", m_AppTitle);
    m_SaveDirName = ini.GetString(u"APP_SAVEDIR", m_SaveDirName);
    m_SaveToMyDocuments = ini.GetBool(u"SAVE_TO_MYDOCUMENTS", m_SaveToMyDocuments);
    for (int n = 0; n < kConfigFontSizeCount; ++n)
        m_FontSize[n] = ini.GetInt(FormatWide(u"FONTSIZE_%d", n), m_FontSize[n]);
    m_ErrorImageFile = ini.GetString(u"FILE_CG_ERROR", m_ErrorImageFile);
    for (int n = 0; n < 32; ++n) {
        const std::u16string pack = ini.GetString(FormatWide(u"PACK_FILE_%02d", n), u"");
        if (!pack.empty())
            GxFile::AddPackFile(pack);
    }
    return true;
}

bool GxSystemConfigStandin::LoadSettingIni()
{
    if (FileExists(u"setting.ini") == kFileNotFound)
        return false;
    GxINIFile ini;
    if (!ini.Parse(u"setting.ini"))
        return false;
    m_DebugModeFlag = ini.GetBool(u"DebugModeFlag", false);
    m_DebugConsoleFlag = ini.GetBool(u"DebugConsoleFlag", false);
    // The documents switch of "system/sysconf.ini" survives when this file lacks the key.
    m_SaveToMyDocuments = ini.GetBool(u"SaveToMyDocuments", m_SaveToMyDocuments);
    m_SkipSlightError = ini.GetBool(u"SkipSlightError", true);
    m_CleanErrorLog = ini.GetBool(u"CleanErrorLog", false);
    return true;
}

GxUserConfigStandin::GxUserConfigStandin() = default;

GxUserConfigStandin::~GxUserConfigStandin()
{
    GxStandinTrace::Record(u"~GxUserConfig");
}

GxUserData::GxUserData(GxCore* core) : m_Core(core) {}

GxUserData::~GxUserData()
{
    GxStandinTrace::Record(u"~GxUserData");
}

GxUserDataPerman::GxUserDataPerman(GxCore* core) : m_Core(core) {}

GxUserDataPerman::~GxUserDataPerman()
{
    GxStandinTrace::Record(u"~GxUserDataPerman");
}

bool SaveUserConfigStandin(GxUserConfigStandin*, GxCore*)
{
    GxStandinTrace::Record(u"SaveUserConfig");
    return true;
}

bool SavePermanentData(GxUserDataPerman*, const std::u16string& path, std::int32_t)
{
    GxStandinTrace::Record(u"SavePermanentData " + path);
    return true;
}
