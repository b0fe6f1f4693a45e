#include "avg/key_bindings.h"

#include "core/input.h"
#include "core/key_code.h"
#include "data/data_tables.h"
#include "data/user_config.h"

#include <algorithm>

namespace {

constexpr std::int32_t kPadDevice = 2;

static_assert(DBKeyMap::kRows == GxUserConfig::kKeyMapRows);

// The key map's rows with their ID, which is the row's slot (so always a row of the key-code table).
template <typename Visit>
void ForEachKeyMapRow(Visit visit)
{
    DBKeyMap& table = GetDBKeyMap();
    for (std::int32_t id = 0; id < DBKeyMap::kRows; ++id)
        visit(id, *table.GetRow(id));
}

void ClearBindings()
{
    GxInput::ClearKeyBindings();
    GxInput::ClearAxisBindings();
}

void BindPad(const GxUserConfig& config)
{
    GxInput::BindAxis(0, kPadDevice, config.m_PadAxisBinding);
    if (GxInputDeviceState* pad = GxInput::GetDeviceState(kPadDevice)) {
        pad->m_PadLayout = config.m_PadSetting;
        GxInput::ClearDeviceState(pad);
    }
}

}  // namespace

void BindKeysFromKeyMap(GxUserConfig& config)
{
    ClearBindings();
    for (auto& row : config.m_KeyCodes)
        std::fill(std::begin(row), std::end(row), 0);
    ForEachKeyMapRow([&](std::int32_t id, const DBKeyMapRow& row) {
        for (std::int32_t column = 0; column < GxUserConfig::kKeyCodeColumns; ++column) {
            if (row.m_KeyCodeStr[column].empty())
                continue;
            const std::int32_t code = KeyCodeFromName(row.m_KeyCodeStr[column]);
            config.m_KeyCodes[id][column] = code;
            GxInput::BindKey(code, id, row.m_Group);
        }
    });
    BindPad(config);
}

void RebindKeysFromUserConfig(GxUserConfig& config)
{
    ClearBindings();
    ForEachKeyMapRow([&](std::int32_t id, const DBKeyMapRow& row) {
        for (std::int32_t column = 0; column < GxUserConfig::kKeyCodeColumns; ++column) {
            const std::int32_t code = config.m_KeyCodes[id][column];
            if (code != 0)
                GxInput::BindKey(code, id, row.m_Group);
        }
    });
    BindPad(config);
}

void ResetCharacterVoiceFlags(GxUserConfig& config)
{
    DBVoiceVolume& table = GetDBVoiceVolume();
    const std::int32_t rowCount = table.GetMaxID() + 1;
    for (std::int32_t index = 0; index < GxUserConfig::kVoiceGroupCount; ++index) {
        const DBVoiceVolumeRow* row = table.GetRow(index);
        config.m_SystemVoice_Activated[index] =
            index <= rowCount && row->m_SystemVoiceExist != 0 && row->m_SystemVoiceEnabled != 0;
    }
}
