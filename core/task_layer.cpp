#include "core/task_layer.h"

#include "core/core.h"
#include "core/layer_graphics.h"
#include "core/scene_generation.h"
#include "core/motion_services.h"
#include "core/movie_services.h"
#include "core/task_manage.h"
#include "foundation/content.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/utility.h"
#include "foundation/wide_string.h"
#include "graphics/texture.h"
#include "graphics/texture_flex.h"
#include "graphics/texture_movie.h"
#include "platform/crt/numeric.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

// The virtual screen and its centre, where motion projects are placed.
constexpr float kScreenWidth = 1024.0f;
constexpr float kScreenHeight = 768.0f;
constexpr float kScreenCenterX = 512.0f;
constexpr float kScreenCenterY = 384.0f;
// Offset of the error-image label from the layer's world position.
constexpr float kLabelOffsetX = 32.0f;
constexpr float kLabelOffsetY = 64.0f;
constexpr std::uint32_t kLabelColor = 0xFFFFFFFF;
constexpr std::int32_t kLabelPreset = 2;

// a - 1 without overflow.
std::int32_t MinusOne(std::int32_t value)
{
    return value == std::numeric_limits<std::int32_t>::min() ? value : value - 1;
}

// Counters that wrap instead of overflowing.
std::int32_t WrapIncrement(std::int32_t value)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + 1u);
}

std::int32_t WrapSubtract(std::int32_t value, std::int32_t amount)
{
    const std::int64_t result = static_cast<std::int64_t>(value) - amount;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(result, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

GxVector3 ToRadians(const GxVector3& degrees)
{
    return GxVector3(static_cast<float>(degrees.x * kDegToRad), static_cast<float>(degrees.y * kDegToRad),
                     static_cast<float>(degrees.z * kDegToRad));
}

// One layer shake factor from a draw of 0 to 32767: s = 2 (r / 32767 - 0.5), s squared with its sign.
double ShakeFactor(std::int32_t draw)
{
    const double s = 2.0 * (draw / 32767.0 - 0.5);
    const double sign = s > 0.0 ? 1.0 : (s < 0.0 ? -1.0 : 0.0);
    return s * s * sign;
}

// Outgoing and incoming alpha factors of a fade at progress r.
void FadeFactors(std::int32_t mode, float r, float& outgoing, float& incoming)
{
    const float w = static_cast<float>(std::sin(std::numbers::pi * r) / std::numbers::pi);
    switch (mode) {
    case kLayerTransitSoft:
        incoming = r + w;
        outgoing = 1.0f - r + w;
        break;
    case kLayerTransitSoftMixed:
        incoming = 0.75f * (r + w) + 0.25f * r;
        outgoing = 0.75f * (1.0f - r + w) + 0.25f * (1.0f - r);
        break;
    case kLayerTransitThroughBlack:
        if (r < 0.5f) {
            outgoing = 1.0f - 2.0f * r;
            incoming = 0.0f;
        } else {
            outgoing = 0.0f;
            incoming = 2.0f * r - 1.0f;
        }
        break;
    default:
        incoming = r;
        outgoing = 1.0f - r;
        break;
    }
}

}  // namespace

// ---- task operations -----------------------------------------------------------------------

GxTaskLayer::GxTaskLayer(GxTaskBase* owner, const char16_t* name, const char16_t* localName,
                         std::int32_t localIndex)
    : GxTaskActor(owner, name, localName, localIndex)
{
    m_KindFlags |= kKindLayer;
    m_TaskType = 1;
}

GxTaskLayer::~GxTaskLayer() = default;

GxCore* GxTaskLayer::GetCore() const
{
    return m_Manage ? m_Manage->GetCore() : nullptr;
}

int GxTaskLayer::Update(std::int32_t, std::uint64_t elapsed)
{
    const std::int32_t dt = static_cast<std::int32_t>(static_cast<std::uint32_t>(elapsed / 1000));
    if (IsActionAnimating() || IsAnimating())
        GxSceneGeneration::Touch();
    UpdateActions(dt);

    GxLayerContent& current = GetCurrentContent();
    if (current.m_ContentType == kLayerContentMovie && !m_Transit.m_Transit && current.m_MovieAutoDisappear &&
        !IsMoviePlaying())
        ClearContent(m_MovieAutoDisappearTime);

    if (m_Transit.m_Transit)
        UpdateContentTransform(GetOtherContent());
    UpdateContentTransform(GetCurrentContent());

    if (m_Shake) {
        const std::int32_t r1 = msvc::rand();
        const std::int32_t r2 = msvc::rand();
        m_VisualParam.m_ShakeOffsetPos.x = static_cast<float>(TruncToInt(m_ShakeAmplitude.x * ShakeFactor(r1)));
        m_VisualParam.m_ShakeOffsetPos.y = static_cast<float>(TruncToInt(m_ShakeAmplitude.y * ShakeFactor(r2)));
        if (m_ShakeTimeTotal >= 0) {
            m_ShakeTimeLeft = WrapSubtract(m_ShakeTimeLeft, dt);
            if (m_ShakeTimeLeft < 1)
                StopShake();
        }
    }

    for (GxLayerContent& content : m_Content)
        content.m_FrameCount = WrapIncrement(content.m_FrameCount);

    if (m_Transit.m_Transit) {
        m_Transit.m_TransitTimeLeft = WrapSubtract(m_Transit.m_TransitTimeLeft, dt);
        if (m_Transit.m_TransitTimeLeft < 1) {
            m_Transit.m_TransitTimeLeft = 0;
            m_Transit.m_Transit = false;
            GetOtherContent().Clear();
        }
    }

    m_UpdateCount = WrapIncrement(m_UpdateCount);
    NoteVisualChange();
    return 0;
}

bool GxTaskLayer::IsAnimating()
{
    // Motions and movies change with every frame; fades and shakes until they end.
    for (const GxLayerContent& content : m_Content) {
        if (content.m_ContentType == kLayerContentMotion || content.m_ContentType == kLayerContentMovie)
            return true;
    }
    return m_Transit.m_Transit || m_Shake;
}

int GxTaskLayer::Render(std::int32_t, std::uint64_t)
{
    NoteVisualChange();
    GxCore* core = GetCore();
    if (GxTaskRenderManage* list = core ? core->GetRenderList(kLayerRenderList) : nullptr)
        list->Add(kRenderModeAscending, this, m_VisualParam.m_OrderZ, 0);
    return 0;
}

int GxTaskLayer::Draw(std::int32_t, std::int32_t)
{
    if (!m_VisualParam.m_Visible)
        return 0;
    if (!m_Transit.m_Transit) {
        DrawContent(GetCurrentContent(), 1.0f);
    } else {
        float outgoing = 0.0f;
        float incoming = 0.0f;
        FadeFactors(m_LocalTransitMode, m_Transit.GetRate(), outgoing, incoming);
        DrawContent(GetOtherContent(), outgoing);
        DrawContent(GetCurrentContent(), incoming);
    }
    if (m_ErrorImage) {
        const GxVector3 world = GetWorldPos();
        GetLayerGraphics()->DrawLabel(GetCurrentContent().m_ContentFileName, world.x + kLabelOffsetX,
                                      world.y + kLabelOffsetY, kLabelColor, kLabelPreset);
    }
    return 0;
}

bool GxTaskLayer::WriteState(GxContentWriterBase& writer)
{
    bool ok = GxTaskActor::WriteState(writer);
    // A playing movie is saved where it stands now.
    for (GxLayerContent& content : m_Content) {
        if (content.m_ContentType == kLayerContentMovie && content.HasValidChannel()) {
            content.m_MovieCurrentTime = LayerMovieSlotGetPosition(content.m_MyChannel);
            content.m_LoopCount = LayerMovieSlotGetLoopCount(content.m_MyChannel);
        }
    }
    for (GxLayerContent& content : m_Content)
        ok = content.WriteState(writer) && ok;
    ok = writer.WriteS32("m_LayerType", m_LayerType) && ok;
    ok = writer.WriteS32("m_IndexPos", m_IndexPos) && ok;
    ok = m_Transit.WriteState(writer) && ok;
    ok = writer.WriteBool("m_Shake", m_Shake) && ok;
    ok = writer.WriteVector3("m_ShakeAmplitude", &m_ShakeAmplitude) && ok;
    ok = writer.WriteS32("m_ShakeTimeLeft", m_ShakeTimeLeft) && ok;
    ok = writer.WriteS32("m_ShakeTimeTotal", m_ShakeTimeTotal) && ok;
    ok = writer.WriteS32("m_MovieAutoDisappearTime", m_MovieAutoDisappearTime) && ok;
    ok = writer.WriteS32("m_LocalTransitMode", m_LocalTransitMode) && ok;
    return ok;
}

bool GxTaskLayer::ReadState(GxContentReaderBase& reader)
{
    GxSceneGeneration::Touch();
    bool ok = GxTaskActor::ReadState(reader);
    for (GxLayerContent& content : m_Content)
        ok = content.ReadState(reader) && ok;
    reader.ReadS32("m_LayerType", &m_LayerType);
    std::int32_t indexPos = m_IndexPos;
    reader.ReadS32("m_IndexPos", &indexPos);
    if (indexPos != 0 && indexPos != 1) {
        LogPrint(u"Error/GxTaskLayer ReadState Failed(%s m_IndexPos:%d)\n", m_TaskName.c_str(), indexPos);
        indexPos = 0;
        ok = false;
    }
    m_IndexPos = indexPos;
    m_Transit.ReadState(reader);
    reader.ReadBool("m_Shake", &m_Shake);
    reader.ReadVector3("m_ShakeAmplitude", &m_ShakeAmplitude);
    reader.ReadS32("m_ShakeTimeLeft", &m_ShakeTimeLeft);
    reader.ReadS32("m_ShakeTimeTotal", &m_ShakeTimeTotal);
    reader.ReadS32("m_MovieAutoDisappearTime", &m_MovieAutoDisappearTime);
    reader.ReadS32("m_LocalTransitMode", &m_LocalTransitMode);

    m_ErrorImage = false;
    GxCore* core = GetCore();
    m_Content[0].LoadContent(core);
    m_Content[1].LoadContent(core);
    return ok && reader.GetErrorCount() == 0;
}

std::int32_t GxTaskLayer::GetWidth() const
{
    const GxLayerContent& content = m_Content[m_IndexPos];
    switch (content.m_ContentType) {
    case kLayerContentImage:
        return content.GetImageTexture() ? static_cast<std::int32_t>(content.GetImageTexture()->GetImageWidth()) : 0;
    case kLayerContentMovie:
        return content.GetMovieTexture() ? static_cast<std::int32_t>(content.GetMovieTexture()->GetImageWidth()) : 0;
    case kLayerContentImageFile:
        return content.GetTexture() ? static_cast<std::int32_t>(content.GetTexture()->GetImageWidth()) : 0;
    default:
        return 0;
    }
}

std::int32_t GxTaskLayer::GetHeight() const
{
    const GxLayerContent& content = m_Content[m_IndexPos];
    switch (content.m_ContentType) {
    case kLayerContentImage:
        return content.GetImageTexture() ? static_cast<std::int32_t>(content.GetImageTexture()->GetImageHeight()) : 0;
    case kLayerContentMovie:
        return content.GetMovieTexture() ? static_cast<std::int32_t>(content.GetMovieTexture()->GetImageHeight()) : 0;
    case kLayerContentImageFile:
        return content.GetTexture() ? static_cast<std::int32_t>(content.GetTexture()->GetImageHeight()) : 0;
    default:
        return 0;
    }
}

// ---- loads ---------------------------------------------------------------------------------

GxLayerContent& GxTaskLayer::BeginLoad()
{
    GxSceneGeneration::Touch();
    FinishActions();
    m_IndexPos = (m_IndexPos + 1) % 2;
    GxLayerContent& current = GetCurrentContent();
    current.Clear();
    return current;
}

void GxTaskLayer::SetUpFade(std::int32_t fadeMs)
{
    GxSceneGeneration::Touch();
    if (fadeMs > 0) {
        m_Transit.m_Transit = true;
        m_Transit.m_TransitTimeLeft = fadeMs;
        m_Transit.m_TransitTimeTotal = fadeMs;
    } else {
        m_Transit.m_Transit = false;
        m_Transit.m_TransitTimeLeft = 0;
        m_Transit.m_TransitTimeTotal = 0;
        GetOtherContent().Clear();
    }
}

bool GxTaskLayer::LoadMotionProject(const std::u16string& file, const std::u16string& imageSet,
                                    const std::u16string& groupName, const std::u16string& motionName,
                                    std::int32_t startFrame, std::int32_t fadeMs)
{
    FinishActions();
    m_IndexPos = (m_IndexPos + 1) % 2;
    // Taken before the clear, so that a project the content already shows is reused, not reloaded.
    GxNcProjectEx* project = GetNcProject(file, imageSet, 1);
    GxLayerContent& content = GetCurrentContent();
    content.Clear();
    if (!project)
        return false;

    GxMotionServicesBase* motion = GetMotionServices();
    std::u16string group = groupName;
    bool found = false;
    const std::int32_t groupCount = motion ? motion->GetMotionGroupCount(project) : 0;
    if (group.empty()) {
        if (groupCount > 0) {
            group = motion->GetMotionGroupName(project, 0);
            found = true;
        }
    } else {
        for (std::int32_t i = 0; i < groupCount && !found; ++i)
            found = motion->GetMotionGroupName(project, i) == group;
    }
    if (!found) {
        // The reference was taken above and nothing holds it yet.
        ReleaseNcProject(project);
        return false;
    }

    content.m_ContentType = kLayerContentMotion;
    content.m_pProject = project;
    content.m_FrameCount = startFrame;
    content.m_MotionGroupName = group;
    content.m_MotionName = motionName;
    content.m_ContentFileName = file;
    content.m_ImageName = imageSet;
    content.m_PatternIndex = 0;
    content.m_Width = 0;
    content.m_Height = 0;
    SetUpFade(fadeMs);
    return true;
}

bool GxTaskLayer::LoadImageSetPattern(const std::u16string& file, const std::u16string& imageName,
                                      std::int32_t patternIndex, std::int32_t fadeMs)
{
    FinishActions();
    m_IndexPos = (m_IndexPos + 1) % 2;
    GxNcCrammedImageSet* imageSet = GetCrammedImageSet(file, 1);
    GxLayerContent& content = GetCurrentContent();
    content.Clear();
    if (!imageSet)
        return false;

    content.m_ContentType = kLayerContentImageSet;
    content.m_pImageSet = imageSet;
    content.m_ContentFileName = file;
    content.m_ImageName = WideToLowerAscii(imageName);
    content.m_PatternIndex = patternIndex;
    if (GxMotionServicesBase* motion = GetMotionServices()) {
        content.m_pPatternGroup = motion->FindPatternGroup(imageSet, content.m_ImageName);
        std::int32_t width = 0;
        std::int32_t height = 0;
        if (content.m_pPatternGroup && motion->GetPatternSize(content.m_pPatternGroup, patternIndex, &width, &height)) {
            content.m_Width = width;
            content.m_Height = height;
        }
    }
    SetUpFade(fadeMs);
    return content.m_pPatternGroup != nullptr;
}

bool GxTaskLayer::LoadFlexImage(const std::u16string& file, std::int32_t fadeMs)
{
    GxLayerContent& content = BeginLoad();
    GxTextureFlex* texture = GetLayerGraphics()->NewTextureFlex();
    content.m_pImageTexture.reset(texture);
    bool loaded = false;
    if (FileExists(file) != kFileNotFound) {
        loaded = texture->CreateFromFile(file, D3DFMT_UNKNOWN, 0);
        m_ErrorImage = false;
    } else {
        const GxCore* core = GetCore();
        loaded = texture->CreateFromFile(core ? core->GetConfig().m_ErrorImageFile : std::u16string(), D3DFMT_UNKNOWN, 0);
        m_ErrorImage = true;
    }
    content.m_ContentType = kLayerContentImage;
    content.m_ContentFileName = file;
    content.m_ImageName.clear();
    content.m_Width = static_cast<std::int32_t>(texture->GetImageWidth());
    content.m_Height = static_cast<std::int32_t>(texture->GetImageHeight());
    SetUpFade(fadeMs);
    return loaded;
}

bool GxTaskLayer::LoadSolidColor(std::uint32_t argb, std::int32_t fadeMs)
{
    GxLayerContent& content = BeginLoad();
    content.m_ContentType = kLayerContentSolidColor;
    content.m_SolidColor = ColorFromArgb(argb);
    content.m_Width = static_cast<std::int32_t>(kScreenWidth);
    content.m_Height = static_cast<std::int32_t>(kScreenHeight);
    SetUpFade(fadeMs);
    return true;
}

bool GxTaskLayer::LoadMovie(const std::u16string& file, std::int32_t width, std::int32_t height,
                            std::int32_t playCount, double loopStart, std::int32_t volume, bool playNow,
                            std::int32_t fadeMs)
{
    GxLayerContent& content = BeginLoad();
    content.m_ContentType = kLayerContentMovie;
    GxTextureMovie* texture = GetLayerGraphics()->NewTextureMovie();
    content.m_pTexture.reset(texture);
    bool result = texture->Create(file, static_cast<std::uint32_t>(std::max(width, 0)),
                                  static_cast<std::uint32_t>(std::max(height, 0)), D3DFMT_UNKNOWN, 0, false);
    content.m_MyChannel = static_cast<std::uint32_t>(m_IndexPos + 1);
    content.m_ContentFileName = file;
    content.m_Width = width;
    content.m_Height = height;
    content.m_LoopCount = MinusOne(playCount);
    content.m_LoopStartPos = loopStart;
    content.m_MovieAutoDisappear = playNow;
    if (playNow) {
        result = LayerMovieSlotOpen(content.m_MyChannel, file, texture, 1, 0);
        LayerMovieSlotSetLoopStart(content.m_MyChannel, loopStart);
        LayerMovieSlotPlay(content.m_MyChannel, content.m_LoopCount, volume);
    }
    SetUpFade(fadeMs);
    return result;
}

bool GxTaskLayer::LoadBlankTexture(std::int32_t width, std::int32_t height, std::int32_t fadeMs)
{
    GxLayerContent& content = BeginLoad();
    content.m_ContentType = kLayerContentBlankTexture;
    GxTexture* texture = GetLayerGraphics()->NewTexture();
    content.m_pTexture.reset(texture);
    const bool created = texture->CreateTexture(u"", static_cast<std::uint32_t>(std::max(width, 0)),
                                                static_cast<std::uint32_t>(std::max(height, 0)), D3DFMT_A8R8G8B8, 1);
    content.m_Width = width;
    content.m_Height = height;
    SetUpFade(fadeMs);
    return created;
}

bool GxTaskLayer::LoadImageFile(const std::u16string& file, std::int32_t fadeMs)
{
    GxLayerContent& content = BeginLoad();
    content.m_ContentType = kLayerContentImageFile;
    GxTexture* texture = GetLayerGraphics()->NewTexture();
    content.m_pTexture.reset(texture);
    const bool loaded = texture->CreateFromFile(file, D3DFMT_UNKNOWN, 1, 0, false);
    content.m_ContentFileName = file;
    content.m_Width = static_cast<std::int32_t>(texture->GetImageWidth());
    content.m_Height = static_cast<std::int32_t>(texture->GetImageHeight());
    SetUpFade(fadeMs);
    return loaded;
}

bool GxTaskLayer::LoadBlendedImages(const std::vector<std::u16string>& files, std::int32_t fadeMs)
{
    GxLayerContent& content = BeginLoad();
    content.m_ContentType = kLayerContentImageFile;
    GxTexture* texture = GetLayerGraphics()->NewTexture();
    content.m_pTexture.reset(texture);
    if (files.empty()) {
        LogPrint(u"GxTaskLayer:読み込むファイルが指定されていません\n");
        return false;
    }
    content.m_ContentFileName.clear();
    content.m_MultiContentFileName = files;
    const bool loaded = texture->CreateFromFileMultiBlend(files.front(), files, D3DFMT_UNKNOWN, 1);
    content.m_Width = static_cast<std::int32_t>(texture->GetImageWidth());
    content.m_Height = static_cast<std::int32_t>(texture->GetImageHeight());
    SetUpFade(fadeMs);
    return loaded;
}

bool GxTaskLayer::ClearContent(std::int32_t fadeMs)
{
    BeginLoad();
    SetUpFade(fadeMs);
    return true;
}

// ---- sub-layers ----------------------------------------------------------------------------

bool GxTaskLayer::LoadSubLayer(const std::u16string& file, std::int32_t index)
{
    GxSceneGeneration::Touch();
    if (GxSubLayerContent* subLayer = GetCurrentContent().GetSubLayer(index))
        return subLayer->Load(file);
    LogPrint(u"GxTaskLayer:サブレイヤーに読み込めません。インデックスを超えている可能性があります:%s index:%d\n",
             file.c_str(), index);
    return false;
}

bool GxTaskLayer::SetSubLayerVisible(std::int32_t index, bool visible)
{
    GxSubLayerContent* first = m_Content[0].GetSubLayer(index);
    if (!first) {
        LogPrint(u"GxTaskLayer:サブレイヤーにアクセスできません。インデックスを超えている可能性がありますindex:%d\n", index);
        return false;
    }
    GxSceneGeneration::Touch();
    first->m_Visible = visible;
    if (GxSubLayerContent* second = m_Content[1].GetSubLayer(index))
        second->m_Visible = visible;
    return true;
}

bool GxTaskLayer::ShowSubLayer(std::int32_t index)
{
    return SetSubLayerVisible(index, true);
}

bool GxTaskLayer::HideSubLayer(std::int32_t index)
{
    return SetSubLayerVisible(index, false);
}

void GxTaskLayer::ResetLayer()
{
    GxSceneGeneration::Touch();
    StopShake();
    m_ActionPause = false;
    m_MovieAutoDisappearTime = 0;
    m_ErrorImage = false;
    m_LocalTransitMode = kLayerTransitSoft;
    m_Content[0].Clear();
    m_Content[1].Clear();
}

// ---- movies --------------------------------------------------------------------------------

void GxTaskLayer::StopMovie()
{
    GxSceneGeneration::Touch();
    GxLayerContent& content = GetCurrentContent();
    if (content.m_ContentType == kLayerContentMovie && content.HasValidChannel())
        LayerMovieSlotStop(content.m_MyChannel);
}

bool GxTaskLayer::PlayMovie(std::int32_t volume)
{
    GxSceneGeneration::Touch();
    GxLayerContent& content = GetCurrentContent();
    GxTextureMovie* texture = content.GetMovieTexture();
    if (content.m_ContentType != kLayerContentMovie || !texture || !content.HasValidChannel())
        return false;
    const bool opened = LayerMovieSlotOpen(content.m_MyChannel, content.m_ContentFileName, texture, 1, 0);
    LayerMovieSlotSetLoopStart(content.m_MyChannel, content.m_LoopStartPos);
    LayerMovieSlotPlay(content.m_MyChannel, content.m_LoopCount, volume);
    return opened;
}

GxMoviePlayerFile* GxTaskLayer::GetMoviePlayer()
{
    GxLayerContent& content = GetCurrentContent();
    if (content.m_ContentType != kLayerContentMovie || !content.HasValidChannel())
        return nullptr;
    return LayerMovieSlotGetPlayer(content.m_MyChannel);
}

bool GxTaskLayer::IsMoviePlaying()
{
    if (!GetCurrentContent().GetMovieTexture())
        return false;
    return LayerMoviePlayerIsPlaying(GetMoviePlayer());
}

double GxTaskLayer::GetMoviePosition()
{
    if (!GetCurrentContent().GetMovieTexture())
        return 0.0;
    return LayerMoviePlayerGetPosition(GetMoviePlayer());
}

// ---- shake and fade ------------------------------------------------------------------------

void GxTaskLayer::StartShake(const GxVector3& amplitude, std::int32_t timeMs)
{
    GxSceneGeneration::Touch();
    m_Shake = true;
    m_ShakeAmplitude = amplitude;
    m_ShakeTimeLeft = timeMs;
    m_ShakeTimeTotal = timeMs;
}

void GxTaskLayer::StopShake()
{
    GxSceneGeneration::Touch();
    m_Shake = false;
    m_ShakeAmplitude = GxVector3(0.0f, 0.0f, 0.0f);
    m_ShakeTimeLeft = 0;
    m_ShakeTimeTotal = 0;
    m_VisualParam.m_ShakeOffsetPos.x = 0.0f;
    m_VisualParam.m_ShakeOffsetPos.y = 0.0f;
}

bool GxTaskLayer::EndTransit()
{
    if (!m_Transit.m_Transit)
        return false;
    GxSceneGeneration::Touch();
    m_Transit.m_Transit = false;
    m_Transit.m_TransitTimeLeft = 0;
    GetOtherContent().Clear();
    return true;
}

void GxTaskLayer::CenterOnScreen()
{
    const float x = static_cast<float>(TruncToInt((kScreenWidth - static_cast<float>(GetWidth())) * 0.5f));
    const float y = static_cast<float>(TruncToInt((kScreenHeight - static_cast<float>(GetHeight())) * 0.5f));
    SetPos(GxVector3(x, y, 0.0f));
}

// ---- drawing helpers -----------------------------------------------------------------------

void GxTaskLayer::UpdateContentTransform(GxLayerContent& content)
{
    const GxVector3 rotation = ToRadians(m_VisualParam.m_Rot);
    GxMotionServicesBase* motion = GetMotionServices();
    if (content.m_ContentType == kLayerContentMotion && content.m_pProject) {
        GxNcMotion* found = motion ? motion->FindNamePair(content.m_pProject, content.m_MotionGroupName,
                                                            content.m_MotionName)
                                     : nullptr;
        if (!found)
            return;
        const GxVector3 position = GetWorldPos() + GxVector3(kScreenCenterX, kScreenCenterY, 0.0f);
        content.m_MatWorld.BuildTransformXYZ(position, rotation, m_VisualParam.m_Scale, m_VisualParam.m_CenterPos);
        const std::int32_t length = motion->GetMotionLength(found);
        std::int32_t frame = 0;
        if (length > 0) {
            // A negative count (a damaged save) still lands inside the motion.
            frame = content.m_FrameCount % length;
            if (frame < 0)
                frame += length;
        }
        motion->CreateSnapShot(content.m_Bounds, content.m_pProject, found, frame, content.m_MatWorld, 1.0f,
                               GxFColor(1.0f, 1.0f, 1.0f, 1.0f), 4, 0);
        return;
    }
    content.m_MatWorld.BuildTransformXYZ(GetWorldPos(), rotation, m_VisualParam.m_Scale, m_VisualParam.m_CenterPos);
}

void GxTaskLayer::DrawContent(GxLayerContent& content, float factor)
{
    const GxActorVisualParam& v = m_VisualParam;
    const float alpha = v.m_Color0.a * factor * static_cast<float>(v.m_Alpha) / 255.0f;
    if (alpha == 0.0f)
        return;
    // Packing keeps only the low 8 bits of each component, so an alpha past 1 would wrap around.
    const GxFColor color(v.m_Color0.r, v.m_Color0.g, v.m_Color0.b, std::clamp(alpha, 0.0f, 1.0f));
    const std::uint32_t color0 = ColorToArgb(color);
    const std::uint32_t color1 = ColorToArgb(v.m_Color1);

    GxLayerGraphicsBase* graphics = GetLayerGraphics();
    graphics->ResetRenderStates();
    graphics->BeginSceneNested();
    switch (content.m_ContentType) {
    case kLayerContentMotion:
        if (content.m_pProject && graphics->BeginMotionTarget()) {
            if (GxMotionServicesBase* motion = GetMotionServices())
                motion->DrawSnapShot(content.m_Bounds, GxMatrix(), GxFColor(1.0f, 1.0f, 1.0f, 1.0f));
            graphics->EndMotionTarget();
            graphics->DrawMotionTarget(color0, color1, v.m_BlendMode);
        }
        break;
    case kLayerContentImageSet:
        if (content.m_pImageSet && content.m_pPatternGroup) {
            if (GxMotionServicesBase* motion = GetMotionServices())
                motion->CombineLayerParam(content.m_PatternIndex, content.m_MatWorld, content.m_pPatternGroup, 1.0f,
                                          color, v.m_Color1, v.m_BlendMode);
        }
        break;
    case kLayerContentImage:
        DrawImageContent(content, color0, color1);
        break;
    case kLayerContentSolidColor: {
        const GxFColor fill(content.m_SolidColor.r * color.r, content.m_SolidColor.g * color.g,
                            content.m_SolidColor.b * color.b, color.a);
        GxFRect rect;
        rect.right = kScreenWidth;
        rect.bottom = kScreenHeight;
        graphics->DrawSolidRect(rect, ColorToArgb(fill), color1, v.m_BlendMode);
        break;
    }
    case kLayerContentMovie:
    case kLayerContentBlankTexture:
    case kLayerContentImageFile:
        DrawTextureContent(content, color0, color1);
        break;
    default:
        break;
    }
    graphics->EndSceneNested();
}

void GxTaskLayer::DrawImageContent(GxLayerContent& content, std::uint32_t color0, std::uint32_t color1)
{
    GxTextureFlex* texture = content.GetImageTexture();
    if (!texture)
        return;
    const std::uint32_t width = texture->GetImageWidth();
    const std::uint32_t height = texture->GetImageHeight();
    // An image that failed to load has no size to place its pivot by.
    if (width == 0 || height == 0)
        return;
    const GxActorVisualParam& v = m_VisualParam;
    const GxVector3 world = GetWorldPos();
    const float x = static_cast<float>(TruncToInt(world.x));
    const float y = static_cast<float>(TruncToInt(world.y));
    const GxVector2 scale(v.m_Scale.x, v.m_Scale.y);
    const GxVector3 rotation = ToRadians(v.m_Rot);
    const GxVector2 pivot(v.m_CenterPos.x / static_cast<float>(width), v.m_CenterPos.y / static_cast<float>(height));
    GxLayerGraphicsBase* graphics = GetLayerGraphics();
    graphics->DrawTexture2D(texture, x, y, scale, rotation, pivot, color0, color1, v.m_BlendMode);
    // Sub-layers are drawn opaque: neither the fade nor their own alpha dims them.
    for (const std::unique_ptr<GxSubLayerContent>& subLayer : content.m_pSubLayerList) {
        if (!subLayer->GetTexture() || !subLayer->m_Visible)
            continue;
        graphics->DrawTexture2D(subLayer->GetTexture(), x + subLayer->m_OffsetPos.x, y + subLayer->m_OffsetPos.y, scale,
                                rotation, pivot, 0xFFFFFFFF, 0, v.m_BlendMode);
    }
}

void GxTaskLayer::DrawTextureContent(GxLayerContent& content, std::uint32_t color0, std::uint32_t color1)
{
    GxTextureBase* texture = content.GetAnyTexture();
    // A zero size would put the pivot at infinity.
    if (!texture || content.m_Width <= 0 || content.m_Height <= 0)
        return;
    const GxActorVisualParam& v = m_VisualParam;
    const GxVector3 world = GetWorldPos();
    GxFRect source;
    source.right = static_cast<float>(content.m_Width);
    source.bottom = static_cast<float>(content.m_Height);
    const GxVector2 pivot(v.m_CenterPos.x / source.right, v.m_CenterPos.y / source.bottom);
    GetLayerGraphics()->DrawTextureRect2D(texture, world.x, world.y, source, GxVector2(v.m_Scale.x, v.m_Scale.y),
                                          ToRadians(v.m_Rot), pivot, color0, color1,
                                          v.m_BlendMode);
}
