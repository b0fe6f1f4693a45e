#include "data/data_tables.h"

#include "foundation/file.h"
#include "foundation/wide_string.h"

#include <vector>

namespace {

DBKeyMap g_KeyMap;
DBAvgChar g_AvgChar;
DBBGMMode g_BGMMode;
DBCGMode g_CGMode;
DBCGMode g_CGModePlacement;
DBRPMode g_RPMode;
DBUIModule g_UIModule;
DBUILayout g_UILayout;
DBVoiceVolume g_VoiceVolume;
DBSystemVoice g_SystemVoice;

}  // namespace

DBKeyMap& GetDBKeyMap() { return g_KeyMap; }
DBAvgChar& GetDBAvgChar() { return g_AvgChar; }
DBBGMMode& GetDBBGMMode() { return g_BGMMode; }
DBCGMode& GetDBCGMode() { return g_CGMode; }
DBCGMode& GetDBCGModePlacement() { return g_CGModePlacement; }
DBRPMode& GetDBRPMode() { return g_RPMode; }
DBUIModule& GetDBUIModule() { return g_UIModule; }
DBUILayout& GetDBUILayout() { return g_UILayout; }
DBVoiceVolume& GetDBVoiceVolume() { return g_VoiceVolume; }
DBSystemVoice& GetDBSystemVoice() { return g_SystemVoice; }

void LoadDataTables()
{
    if (FileExists(u"data/db_keymap.txt"))
        g_KeyMap.LoadTable(u"data/db_keymap.txt");
    g_AvgChar.LoadTable(u"data/db_avgchar.txt");
    g_BGMMode.LoadTable(u"data/db_bgmmode.txt");
    g_CGMode.LoadTable(u"data/db_cgmode.txt");
    g_CGModePlacement.LoadTable(u"data/db_cgmode.txt");
    g_RPMode.LoadTable(u"data/db_rpmode.txt");
    g_UIModule.LoadTable(u"data/db_uimodule.txt");
    g_UILayout.LoadTable(u"data/db_uilayout.txt");
    g_VoiceVolume.LoadTable(u"data/db_voicevolume.txt");
    g_SystemVoice.LoadTable(u"data/db_systemvoice.txt");
}

void SplitCGFileNames()
{
    std::vector<std::u16string> parts;
    for (std::int32_t id = 0; id < DBCGMode::kRows; ++id) {
        DBCGModeRow* picture = g_CGMode.GetRow(id);
        DBCGModeRow* placement = g_CGModePlacement.GetRow(id);
        if (picture == nullptr || placement == nullptr)
            continue;
        for (std::size_t element = 0; element < std::size(picture->m_FileName); ++element) {
            std::u16string& name = picture->m_FileName[element];
            if (name.empty())
                continue;
            SplitWideFields(parts, name, u"|", 3);
            name = parts[0];
            placement->m_FileName[element] = parts[1] + u"|" + parts[2];
        }
    }
}

void ResetDataTables()
{
    g_KeyMap = DBKeyMap();
    g_AvgChar = DBAvgChar();
    g_BGMMode = DBBGMMode();
    g_CGMode = DBCGMode();
    g_CGModePlacement = DBCGMode();
    g_RPMode = DBRPMode();
    g_UIModule = DBUIModule();
    g_UILayout = DBUILayout();
    g_VoiceVolume = DBVoiceVolume();
    g_SystemVoice = DBSystemVoice();
}
