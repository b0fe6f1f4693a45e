#include "screens/seq_file_base.h"

#include "avg/game_sound_services.h"
#include "core/core.h"
#include "core/scene_generation.h"
#include "core/system_dialog_host.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "foundation/file.h"
#include "foundation/wide_string.h"
#include "graphics/graphics.h"
#include "graphics/system_fonts.h"
#include "motion/image_set_pool.h"
#include "screens/screen_sound.h"
#include "screens/seq_system.h"
#include "ui/task_ui_base.h"
#include "ui/ui_manage.h"
#include "ui/widget_graphics.h"

namespace {

constexpr const char16_t* kFileImageSet = u"ui_saveload.gis";
constexpr std::int32_t kVoiceFadeMs = 500;
// The system glyph cache whose 23-pixel default fits the plates' 30-pixel line pitch.
constexpr std::int32_t kPlateFontIndex = 2;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kDefaultShadowColor = 0xFF000000;

}  // namespace

std::u16string GameDataFileName(std::int32_t slot)
{
    return FormatWide(u"gamedata%03d.gd", slot);
}

std::u16string ThumbnailFileName(std::int32_t slot)
{
    return FormatWide(u"thumb%03d.png", slot);
}

std::u16string FilePlateLine1(const GxGameDataHeader& header, std::int32_t slot)
{
    if (header.m_Valid)
        return FormatWide(u"%s    No.%03d", header.m_SaveTime.c_str(), slot);
    return FormatWide(u"データがありません    No.%03d", slot);
}

SeqFileBase::SeqFileBase(GxTaskBase* owner, const char16_t* name, bool isLoad)
    : GxScreenBase(owner, name, RenderStyle::kOverlay), m_IsLoad(isLoad)
{
}

SeqFileBase::~SeqFileBase()
{
    for (GxTextureFlex& texture : m_Thumbnails)
        texture.Release();
}

std::u16string SeqFileBase::SaveFolder() const
{
    GxCore* core = GetCore();
    return core != nullptr ? core->GetSaveDir() : std::u16string();
}

std::int32_t SeqFileBase::CurrentPage() const
{
    GxCore* core = GetCore();
    if (core == nullptr || core->m_UserConfig == nullptr)
        return 0;
    const std::int32_t page = core->m_UserConfig->m_GameDataPage;
    // A damaged options file must not send the slots out of 1..80.
    return page >= 0 && page < kFilePageCount ? page : 0;
}

std::u16string SeqFileBase::ScreenName() const
{
    return GetTaskName();
}

void SeqFileBase::OnSequenceEnter(std::int32_t worker)
{
    GxScreenBase::OnSequenceEnter(worker);

    const std::u16string uiFolder = GetConfigFolder(GxSystemConfig::kFolderCGUI);
    if (GxTaskLayer* layer = GetBackgroundLayer())
        layer->LoadImageFile(uiFolder + (m_IsLoad ? u"bg_load.png" : u"bg_save.png"), 0);
    const std::u16string setFolder = GetImageSetFolder();
    GetImageSetPool().AddImageSet(setFolder + kFileImageSet);
    StopVoiceChannels(kVoiceFadeMs);
    m_SelectedSlot = -1;
    RefreshPlates();
    GxCore* core = GetCore();
    if (core != nullptr && core->m_UIManage != nullptr) {
        GxTaskBase* playUI = m_Manage != nullptr ? m_Manage->FindTask(u"$UI:SeqAvgMain") : nullptr;
        core->m_UIManage->EndSkipMode(playUI);
        core->m_UIManage->EndAutoMode(playUI);
    }
    if (SeqSystem* system = SystemLayer())
        system->m_NoticeHold = true;
}

void SeqFileBase::OnSequenceLeave(std::int32_t worker)
{
    GxScreenBase::OnSequenceLeave(worker);
    if (SeqSystem* system = SystemLayer())
        system->m_NoticeHold = false;
    if (GxTaskLayer* layer = GetBackgroundLayer())
        layer->ResetLayer();
    const std::u16string setFolder = GetImageSetFolder();
    GetImageSetPool().ReleaseImageSet(setFolder + kFileImageSet);
}

void SeqFileBase::RefreshPlates()
{
    const std::int32_t page = CurrentPage();
    for (std::int32_t k = 1; k <= kFilePageCount; ++k) {
        if (GxTaskUIBase* button = FindWidget(FormatWide(u"b%02d", k).c_str()))
            button->SetValueBool(k - 1 == page);
    }
    for (std::int32_t p = 0; p < kFilePlateCount; ++p) {
        m_Thumbnails[p].Release();
        m_Headers[p] = GxGameDataHeader();
        if (m_IsLoad) {
            if (GxTaskUIBase* plate = FindWidget(u"btn_fileplate", p))
                plate->SetEnabled(false);
        }
    }
    // A slot saved again may get its new thumbnail where the old one was.
    GxSceneGeneration::Touch();
    GxCore* core = GetCore();
    GxUserConfig* options = core != nullptr ? core->m_UserConfig : nullptr;
    const std::u16string folder = SaveFolder();
    for (std::int32_t p = 0; p < kFilePlateCount; ++p) {
        const std::int32_t slot = FileSlotOf(page, p);
        const std::u16string thumb = folder + ThumbnailFileName(slot);
        if (OpenFileRead(thumb))
            m_Thumbnails[p].CreateFromFile(thumb, D3DFMT_UNKNOWN, 0);
        const std::u16string data = folder + GameDataFileName(slot);
        if (OpenFileRead(data)) {
            GxGameDataHeader header;
            if (ReadGameDataHeader(data, &header))
                m_Headers[p] = header;
            if (m_IsLoad) {
                if (GxTaskUIBase* plate = FindWidget(u"btn_fileplate", p))
                    plate->SetEnabled(true);
            }
        } else if (m_IsLoad && options != nullptr && slot == options->m_LastGameDataFileNum) {
            options->m_LastGameDataFileNum = -1;
        }
    }
    GxTaskUIBase* tip = FindWidget(u"tip_new");
    if (tip == nullptr)
        return;
    const std::int32_t last = options != nullptr ? options->m_LastGameDataFileNum : -1;
    if (last < 1) {
        tip->Hide();
        return;
    }
    const std::int32_t n = last - 1;
    const std::int32_t plate = n % kFilePlateCount;
    if (n / kFilePlateCount == page && m_Headers[plate].m_Valid) {
        tip->SetPos(GxVector3{446.0f + 484.0f * static_cast<float>(plate / 4),
                              151.0f + 131.0f * static_cast<float>(plate % 4), 0.0f});
        tip->Show();
    } else {
        tip->Hide();
    }
}

int SeqFileBase::Draw(std::int32_t value, std::int32_t listIndex)
{
    if (value != kScreenOverlayDrawTag)
        return GxScreenBase::Draw(value, listIndex);
    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    graphics->BeginSceneNested();
    graphics->ResetRenderStates();
    DrawPlates();
    graphics->EndSceneNested();
    return 0;
}

void SeqFileBase::AddDrawnState(GxDrawnStateKey& key) const
{
    const std::int32_t page = CurrentPage();
    key.Add(page);
    for (std::int32_t p = 0; p < kFilePlateCount; ++p) {
        const GxTextureFlex& thumb = m_Thumbnails[p];
        key.Add(thumb.HasTiles()).Add(static_cast<const void*>(thumb.GetTiles()))
            .Add(static_cast<std::int32_t>(thumb.GetImageWidth())).Add(static_cast<std::int32_t>(thumb.GetImageHeight()));
        key.Add(FilePlateLine1(m_Headers[p], FileSlotOf(page, p)))
            .Add(m_Headers[p].m_Valid ? std::u16string_view(m_Headers[p].m_GameDataTitle) : std::u16string_view());
    }
}

void SeqFileBase::DrawPlates()
{
    GxCore* core = GetCore();
    const GxSystemConfig* config = core != nullptr ? core->m_SystemConfig : nullptr;
    const std::uint32_t shadow = config != nullptr ? config->m_SystemShadowColor : kDefaultShadowColor;
    const GxDisplaySettings& display = GxGraphics::GetDisplaySettings();
    const float thumbWidth = static_cast<float>(display.VirtualWidth / 8);
    const float thumbHeight = static_cast<float>(display.VirtualHeight / 8);
    GxGDIFontMap* font = GetSystemFontMap(kPlateFontIndex);
    const std::int32_t page = CurrentPage();
    for (std::int32_t p = 0; p < kFilePlateCount; ++p) {
        const float x = FilePlateX(p);
        const float y = FilePlateY(p);
        GxTextureFlex& thumb = m_Thumbnails[p];
        if (thumb.HasTiles() && thumb.GetImageWidth() != 0 && thumb.GetImageHeight() != 0) {
            const GxVector2 scale{thumbWidth / static_cast<float>(thumb.GetImageWidth()),
                                  thumbHeight / static_cast<float>(thumb.GetImageHeight())};
            GetWidgetGraphics()->DrawFlexTexture(&thumb, x, y, scale, GxVector3{}, GxVector2{}, kWhite, 0, 0);
        }
        if (font == nullptr)
            continue;
        const std::u16string lines[2] = {FilePlateLine1(m_Headers[p], FileSlotOf(page, p)),
                                         m_Headers[p].m_Valid ? m_Headers[p].m_GameDataTitle : std::u16string()};
        for (int line = 0; line < 2; ++line) {
            const float lx = x + 152.0f;
            const float ly = y + (line == 0 ? 4.0f : 34.0f);
            GetWidgetGraphics()->DrawFontMapText(font, lines[line], lx + 2.0f, ly + 2.0f, GxVector2{1.0f, 1.0f},
                                                 shadow, 0, 0, 0);
            GetWidgetGraphics()->DrawFontMapText(font, lines[line], lx, ly, GxVector2{1.0f, 1.0f}, kWhite, 0, 0, 0);
        }
    }
}

int SeqFileBase::OnMouseRightDown(const GxVector2*, std::uint32_t, std::int32_t)
{
    GxTaskUIBase* back = FindWidget(u"btn_back");
    if (back != nullptr && IsWidgetInputAllowed(back, 0))
        back->ReportEvent(1);
    return 0;
}

bool SeqFileBase::HasSoundBit(const GxTaskUIBase* widget)
{
    return widget != nullptr && (widget->m_KindFlags & kKindPushButton) != 0;
}

void SeqFileBase::PlayButtonSound(GxTaskUIBase* widget)
{
    if (HasSoundBit(widget))
        GetScreenSound().PlaySystemSound(0, widget->GetSystemSoundID());
}

bool SeqFileBase::HandlePageOrPlate(GxTaskUIBase* widget, const std::u16string& name, const char16_t* question,
                                    const char16_t* tag)
{
    if (name.size() == 3 && name[0] == u'b') {
        for (std::int32_t k = 1; k <= kFilePageCount; ++k) {
            if (name != FormatWide(u"b%02d", k))
                continue;
            if (GxCore* core = GetCore(); core != nullptr && core->m_UserConfig != nullptr)
                core->m_UserConfig->m_GameDataPage = k - 1;
            RefreshPlates();
            return true;
        }
    }
    if (name == u"btn_fileplate") {
        if (SeqSystem* system = SystemLayer(); system != nullptr && system->IsUserDialogActive())
            return true;
        AskUser(tag, question, 3);
        const std::int32_t plate = widget != nullptr ? widget->GetTaskLocalIndex() : 0;
        m_SelectedSlot = plate + CurrentPage() * kFilePlateCount + 1;
        return true;
    }
    return false;
}

void SeqFileBase::GoBack(std::int32_t word1)
{
    if (const GxSeqWorker* worker = m_Manage != nullptr ? m_Manage->GetWorker(GetWorkerIndex()) : nullptr) {
        if (worker->m_Previous != nullptr && !worker->m_PreviousName.empty())
            m_Manage->ChangeSequenceByCName(worker->m_PreviousName.c_str(), GetWorkerIndex(), 0, word1);
    }
    ClearUIEvents();
}
