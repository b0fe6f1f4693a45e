// The voice page of SeqConfig: one plate per shown voice group, two per row and three rows at a
// time; plate i shows entry 2s + i of the list, s being the scroll row.
#include "screens/seq_config.h"

#include "avg/resource_lookup.h"
#include "core/core.h"
#include "core/task_manage.h"
#include "data/data_tables.h"
#include "data/db_voicevolume.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "foundation/matrix.h"
#include "foundation/wide_string.h"
#include "graphics/draw2d.h"
#include "graphics/graphics.h"
#include "motion/crammed_image_set.h"
#include "motion/image_set_pool.h"
#include "screens/screen_sound.h"
#include "ui/task_ui_base.h"
#include "ui/widget_graphics.h"

namespace {

constexpr char16_t kFaceImageSet[] = u"ui_facepanel.gis";
constexpr std::int32_t kPlatesPerRow = 2;
constexpr std::int32_t kVisibleRows = 3;
constexpr std::int32_t kFaceBlend = 2;

bool IsGroup(std::int32_t id)
{
    return id >= 0 && id < GxUserConfig::kVoiceGroupCount;
}

}  // namespace

std::int32_t SeqConfig::ScrollRow() const
{
    const GxTaskUIBase* scroll = FindPageWidget(kPageVoice, u"hsld_scroll_voice");
    std::int32_t row = scroll != nullptr ? static_cast<std::int32_t>(scroll->GetValue() + 0.4) : 0;
    if (row > m_MaxScrollRow)
        row = m_MaxScrollRow;
    return row < 0 ? 0 : row;
}

void SeqConfig::BuildVoiceList()
{
    m_VoiceList.clear();
    const std::u16string folder = GetImageSetFolder();
    GxNcCrammedImageSet* faces = GetImageSetPool().GetImageSet(folder + kFaceImageSet);
    DBVoiceVolume& table = GetDBVoiceVolume();
    for (std::int32_t id = 0; id < table.GetMaxRows(); ++id) {
        const DBVoiceVolumeRow* row = table.GetRow(id);
        if (row == nullptr || row->m_PanelVisible == 0)
            continue;
        VoicePanelEntry entry;
        entry.m_PanelOrder = row->m_PanelOrder;
        entry.m_VoiceVolumeID = id;
        entry.m_Visible = true;
        entry.m_Face = faces != nullptr ? faces->FindOriginImage(WideToLowerAscii(row->m_FacePanelFileName)) : nullptr;
        entry.m_HasSample = !row->m_SoundTestFileName.empty();
        entry.m_HasSystemVoice = row->m_SystemVoiceExist != 0;
        auto at = m_VoiceList.begin();
        while (at != m_VoiceList.end() && at->m_PanelOrder <= entry.m_PanelOrder)
            ++at;
        m_VoiceList.insert(at, entry);
    }
    const std::int32_t count = static_cast<std::int32_t>(m_VoiceList.size());
    std::int32_t last = (count + 1) / kPlatesPerRow - kVisibleRows;
    if (last < 0)
        last = 0;
    GxTaskUIBase* scroll = FindPageWidget(kPageVoice, u"hsld_scroll_voice");
    if (scroll != nullptr) {
        scroll->SetMax(last);
        if (m_MaxScrollRow < last)
            scroll->SetValue(0.0);
    }
    m_MaxScrollRow = last;
    for (const char16_t* name : {u"hsld_scroll_voice", u"btn_scrollup_voice", u"btn_scrolldown_voice"})
        ShowWidget(FindPageWidget(kPageVoice, name), last != 0);
}

void SeqConfig::RefreshVoicePlates()
{
    const GxUserConfig* options = Options();
    const GxTaskUIBase* scroll = FindPageWidget(kPageVoice, u"hsld_scroll_voice");
    const double value = scroll != nullptr ? scroll->GetValue() : 0.0;
    if (GxTaskUIBase* up = FindPageWidget(kPageVoice, u"btn_scrollup_voice"))
        up->SetEnabled(value != 0.0);
    if (GxTaskUIBase* down = FindPageWidget(kPageVoice, u"btn_scrolldown_voice"))
        down->SetEnabled(static_cast<double>(m_MaxScrollRow) > value);
    const std::int32_t first = kPlatesPerRow * ScrollRow();
    const std::int32_t count = static_cast<std::int32_t>(m_VoiceList.size());
    for (std::int32_t i = 0; i < kVoicePlateCount; ++i) {
        GxTaskUIBase* plate = FindPageWidget(kPageVoice, u"tip_voiceplate", i);
        GxTaskUIBase* slider = FindPageWidget(kPageVoice, u"hsld_vol_voice", i);
        GxTaskUIBase* sample = FindPageWidget(kPageVoice, u"btn_test_voice", i);
        GxTaskUIBase* systemVoice = FindPageWidget(kPageVoice, u"btn_systemvoice", i);
        const std::int32_t k = first + i;
        const VoicePanelEntry* entry = k < count ? &m_VoiceList[static_cast<std::size_t>(k)] : nullptr;
        if (entry == nullptr || !entry->m_Visible) {
            for (GxTaskUIBase* widget : {plate, slider, sample, systemVoice})
                ShowWidget(widget, false);
            continue;
        }
        for (GxTaskUIBase* widget : {plate, slider, sample, systemVoice})
            ShowWidget(widget, true);
        if (sample != nullptr)
            sample->SetEnabled(entry->m_HasSample);
        if (systemVoice != nullptr) {
            systemVoice->SetEnabled(entry->m_HasSystemVoice);
            ShowWidget(systemVoice, entry->m_HasSystemVoice);
        }
        if (options != nullptr && IsGroup(entry->m_VoiceVolumeID)) {
            if (slider != nullptr)
                slider->SetValueInt(options->m_Volume_Voice[entry->m_VoiceVolumeID]);
            if (systemVoice != nullptr)
                systemVoice->SetValueBool(options->m_SystemVoice_Activated[entry->m_VoiceVolumeID]);
        }
    }
}

void SeqConfig::ScrollVoicePlates(std::int32_t rows)
{
    GxTaskUIBase* scroll = FindPageWidget(kPageVoice, u"hsld_scroll_voice");
    if (scroll == nullptr)
        return;
    const double value = scroll->GetValue();
    if (rows < 0 && value > 0.0)
        scroll->SetValue(value - 1.0 < 0.0 ? 0.0 : value - 1.0);
    else if (rows > 0 && scroll->GetMax() > value)
        scroll->SetValue(value + 1.0 > scroll->GetMax() ? scroll->GetMax() : value + 1.0);
    RefreshVoicePlates();
}

void SeqConfig::FillVoicePage(const GxUserConfig& options)
{
    if (GxTaskUIBase* master = FindPageWidget(kPageVoice, u"hsld_vol_voicemaster"))
        master->SetValueInt(options.m_Volume_VoiceMaster);
    if (GxTaskUIBase* system = FindPageWidget(kPageVoice, u"hsld_vol_systemvoice"))
        system->SetValueInt(options.m_Volume_SystemVoice);
    RefreshVoicePlates();
}

void SeqConfig::StoreVoicePage()
{
    GxUserConfig* options = Options();
    if (options == nullptr)
        return;
    if (const GxTaskUIBase* master = FindPageWidget(kPageVoice, u"hsld_vol_voicemaster"))
        options->m_Volume_VoiceMaster = master->GetValueInt();
    if (const GxTaskUIBase* system = FindPageWidget(kPageVoice, u"hsld_vol_systemvoice"))
        options->m_Volume_SystemVoice = system->GetValueInt();
    if (IsTabOn(kPageVoice)) {
        const std::int32_t first = kPlatesPerRow * ScrollRow();
        const std::int32_t count = static_cast<std::int32_t>(m_VoiceList.size());
        for (std::int32_t i = 0; i < kVoicePlateCount; ++i) {
            const std::int32_t k = first + i;
            if (k >= count || !m_VoiceList[static_cast<std::size_t>(k)].m_Visible)
                continue;
            const std::int32_t id = m_VoiceList[static_cast<std::size_t>(k)].m_VoiceVolumeID;
            if (!IsGroup(id))
                continue;
            const GxTaskUIBase* slider = FindPageWidget(kPageVoice, u"hsld_vol_voice", i);
            if (slider != nullptr && slider->IsVisible())
                options->m_Volume_Voice[id] = slider->GetValueInt();
            const GxTaskUIBase* systemVoice = FindPageWidget(kPageVoice, u"btn_systemvoice", i);
            if (systemVoice != nullptr && systemVoice->IsVisible())
                options->m_SystemVoice_Activated[id] = systemVoice->GetValueBool();
        }
    }
    using Volume = GxScreenSoundBase::Volume;
    for (Volume kind : {Volume::kVoice, Volume::kSystemVoice, Volume::kExtraVoice})
        GetScreenSound().ApplyVolume(kind);
}

void SeqConfig::PlayVoiceSample(GxTaskUIBase* sender)
{
    const GxUserConfig* options = Options();
    if (sender == nullptr || options == nullptr)
        return;
    // The sender's index and the scroll row both come from outside the list: a plate index past
    // the list (or a row whose entry is gone) plays nothing.
    const std::int32_t k = sender->GetTaskLocalIndex() + kPlatesPerRow * ScrollRow();
    if (k < 0 || k >= static_cast<std::int32_t>(m_VoiceList.size()))
        return;
    const std::int32_t id = m_VoiceList[static_cast<std::size_t>(k)].m_VoiceVolumeID;
    const DBVoiceVolumeRow* row = IsGroup(id) ? GetDBVoiceVolume().GetRow(id) : nullptr;
    if (row == nullptr || row->m_SoundTestFileName.empty())
        return;
    std::u16string path = GetConfigFolder(GxSystemConfig::kFolderSoundsTest) + row->m_SoundTestFileName;
    if (!ResolveSoundFile(path))
        return;
    GetScreenSound().PlayConfigVoiceSample(path, id);
}

void SeqConfig::AddDrawnState(GxDrawnStateKey& key) const
{
    if (!IsTabOn(kPageVoice))
        return;
    const std::int32_t first = kPlatesPerRow * ScrollRow();
    const std::int32_t count = static_cast<std::int32_t>(m_VoiceList.size());
    key.Add(first).Add(count);
    for (std::int32_t i = 0; i < kVoicePlateCount && first + i < count; ++i) {
        const VoicePanelEntry& entry = m_VoiceList[static_cast<std::size_t>(first + i)];
        const GxTaskUIBase* plate = FindPageWidget(kPageVoice, u"tip_voiceplate", i);
        key.Add(entry.m_Visible).Add(static_cast<const void*>(entry.m_Face)).Add(static_cast<const void*>(plate));
        if (plate != nullptr) {
            const GxVector3 pos = plate->GetWorldPos();
            key.Add(pos.x).Add(pos.y);
        }
    }
}

void SeqConfig::DrawFaces()
{
    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    graphics->BeginSceneNested();
    graphics->ResetRenderStates();
    const std::int32_t first = kPlatesPerRow * ScrollRow();
    const std::int32_t count = static_cast<std::int32_t>(m_VoiceList.size());
    for (std::int32_t i = 0; i < kVoicePlateCount; ++i) {
        const std::int32_t k = first + i;
        if (k >= count)
            break;
        const VoicePanelEntry& entry = m_VoiceList[static_cast<std::size_t>(k)];
        const GxTaskUIBase* plate = FindPageWidget(kPageVoice, u"tip_voiceplate", i);
        if (!entry.m_Visible || entry.m_Face == nullptr || plate == nullptr)
            continue;
        GxMatrix world;
        world.SetTranslation(plate->GetWorldPos());
        // A white colour factor and no added colour: the face in its own colours (a zero factor
        // would leave it fully transparent).
        graphics->DrawImagePattern(entry.m_Face, 0, world, 1.0f, GxFColor(1.0f, 1.0f, 1.0f, 1.0f),
                                   GxFColor(0.0f, 0.0f, 0.0f, 0.0f), kFaceBlend);
    }
    graphics->EndSceneNested();
}
