#include "media/movie_player.h"

#include "foundation/file.h"
#include "foundation/log.h"
#include "graphics/texture_movie.h"
#include "media/movie_reader.h"
#include "media/movie_reader_wmv.h"
#include "media/movie_renderer.h"
#include "media/movie_source_stream.h"
#include "platform/win32/com.h"

#include <new>

namespace {

template <typename T>
void ReleaseAndClear(T*& pointer)
{
    if (pointer) pointer->Release();
    pointer = nullptr;
}

struct SubtypeEntry {
    const char16_t* extension;
    const GUID* subtype;
};

constexpr SubtypeEntry kSubtypes[] = {
    {u".avi", &MEDIASUBTYPE_Avi},          {u".mpg", &MEDIASUBTYPE_MPEG1System},
    {u".mpeg", &MEDIASUBTYPE_MPEG1System}, {u".mpv", &MEDIASUBTYPE_MPEG1Video},
    {u".dat", &MEDIASUBTYPE_MPEG1VideoCD}, {u".mov", &MEDIASUBTYPE_QTMovie},
    {u".mpa", &MEDIASUBTYPE_MPEG1Audio},   {u".wav", &MEDIASUBTYPE_WAVE},
    {u".asf", &MEDIASUBTYPE_Asf},          {u".wmv", &MEDIASUBTYPE_Asf},
    {u".mpg2", &MEDIASUBTYPE_MPEG2_VIDEO},
};

}  // namespace

GUID MediaSubtypeFromExtension(const std::u16string& fileName)
{
    std::u16string extension = GetFileExtension(fileName);
    for (char16_t& c : extension)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    for (const SubtypeEntry& entry : kSubtypes)
        if (extension == entry.extension) return *entry.subtype;
    return GUID_NULL;
}

GxMoviePlayerFile::GxMoviePlayerFile() : m_MediaType(&MEDIATYPE_Stream) {}

GxMoviePlayerFile::~GxMoviePlayerFile() { Close(); }

void GxMoviePlayerFile::Close()
{
    m_LoopStart = 0.0;
    m_Playing = false;
    m_LoopCount = 0;
    m_VideoWidth = 0;
    m_VideoHeight = 0;
    m_VideoPitch = 0;
    // No streaming thread may run while the parts go away.
    if (m_MediaControl) m_MediaControl->Stop();
    ReleaseAndClear(m_BasicAudio);
    ReleaseAndClear(m_Renderer);
    ReleaseAndClear(m_MediaEvent);
    ReleaseAndClear(m_MediaPosition);
    ReleaseAndClear(m_MediaControl);
    ReleaseAndClear(m_Graph);
    if (m_Reader) {
        m_Reader->Shutdown();
        ReleaseAndClear(m_Reader);
    }
    delete m_SourceStream;
    m_SourceStream = nullptr;
}

bool GxMoviePlayerFile::Open(const std::u16string& fileName, GxTextureMovie* texture, std::int32_t, bool discardLock)
{
    Close();
    // A half-built graph would still run and never end: whatever failed, nothing of it stays.
    if (BuildGraph(fileName, texture, discardLock)) return true;
    Close();
    return false;
}

bool GxMoviePlayerFile::BuildGraph(const std::u16string& fileName, GxTextureMovie* texture, bool discardLock)
{
    const GUID subtype = MediaSubtypeFromExtension(fileName);
    if (subtype == GUID_NULL) {
        LogPrint(u"GxMoviePlayerFile::この形式は再生できません (File=%s)\n", fileName.c_str());
        return false;
    }
    m_MediaType.SetSubtype(&subtype);

    m_SourceStream = new (std::nothrow) GxMovieSourceFilterFile(fileName, GxMovieSourceFilterFile::kUnlimitedRate);
    if (!m_SourceStream || !m_SourceStream->IsOpen()) {
        delete m_SourceStream;
        m_SourceStream = nullptr;
        LogPrint(u"GxMoviePlayerFile::動画ファイルオープンに失敗 (File=%s)\n", fileName.c_str());
        return false;
    }

    HRESULT hr = S_OK;
    GxMovieReader* reader = nullptr;
    if (subtype == MEDIASUBTYPE_Asf) {
        reader = new (std::nothrow) GxMovieReaderWMV(CLSID_WMAsfReader, u"FileReader", nullptr, m_SourceStream, &hr);
    } else {
        reader = new (std::nothrow) GxMovieReader(u"FileReader", nullptr, m_SourceStream, &hr);
        if (reader) reader->SetOutputMediaType(m_MediaType);
    }
    if (!reader) hr = E_OUTOFMEMORY;
    if (FAILED(hr)) {
        delete reader;
        // Emptied at once, so that a later Close does not delete it again.
        delete m_SourceStream;
        m_SourceStream = nullptr;
        LogPrint(u"GxMoviePlayerFile::MovieReader作成失敗 (File=%s/HRESULT 0x%8.8X)\n", fileName.c_str(),
                 static_cast<unsigned>(hr));
        return false;
    }
    m_Reader = reader;
    m_Reader->AddRef();

    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_ALL, IID_IGraphBuilder,
                                reinterpret_cast<void**>(&m_Graph)))) {
        m_Graph = nullptr;
        return false;
    }
    if (FAILED(m_Graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&m_MediaControl))))
        m_MediaControl = nullptr;
    if (FAILED(m_Graph->QueryInterface(IID_IMediaPosition, reinterpret_cast<void**>(&m_MediaPosition))))
        m_MediaPosition = nullptr;
    if (FAILED(m_Graph->QueryInterface(IID_IMediaEvent, reinterpret_cast<void**>(&m_MediaEvent))))
        m_MediaEvent = nullptr;

    hr = m_Graph->AddFilter(m_Reader, u"FileReader");
    if (FAILED(hr)) {
        // The player's was the only reference: the reader is gone, and so is the pointer.
        m_Reader->Shutdown();
        ReleaseAndClear(m_Reader);
        LogPrint(u"Could not Add filter FileReader object!  hr=0x%x\n", static_cast<unsigned>(hr));
        return false;
    }

    hr = S_OK;
    m_Renderer = new (std::nothrow) GxMovieRenderer(nullptr, texture, discardLock, &hr);
    if (!m_Renderer) hr = E_OUTOFMEMORY;
    if (FAILED(hr)) {
        // A renderer made with a failing result still holds its own reference.
        ReleaseAndClear(m_Renderer);
        LogPrint(u"Could not create texture renderer object!  hr=0x%x\n", static_cast<unsigned>(hr));
        return false;
    }
    hr = m_Graph->AddFilter(m_Renderer, u"TextureRenderer");
    if (FAILED(hr)) {
        ReleaseAndClear(m_Renderer);
        LogPrint(u"Could not add renderer filter to graph!  hr=0x%x\n", static_cast<unsigned>(hr));
        return false;
    }

    if (FAILED(m_Graph->QueryInterface(IID_IBasicAudio, reinterpret_cast<void**>(&m_BasicAudio))))
        m_BasicAudio = nullptr;

    const int pins = m_Reader->GetPinCount();
    for (int i = 0; i < pins; ++i) {
        CBasePin* pin = m_Reader->GetPin(i);
        if (!pin || FAILED(m_Graph->Render(pin))) return false;
    }

    m_VideoWidth = static_cast<std::uint32_t>(m_Renderer->VideoWidth());
    m_VideoHeight = static_cast<std::uint32_t>(m_Renderer->VideoHeight());
    m_VideoPitch = static_cast<std::uint32_t>(m_Renderer->VideoPitch());
    const std::uint32_t textureWidth = texture ? texture->GetWidth() : 0;
    const std::uint32_t textureHeight = texture ? texture->GetHeight() : 0;
    // A texture whose creation failed has no size: the extents stay whole.
    if (textureWidth && textureHeight) {
        m_ExtentU = static_cast<float>(static_cast<double>(m_VideoWidth) / static_cast<double>(textureWidth));
        m_ExtentV = static_cast<float>(static_cast<double>(m_VideoHeight) / static_cast<double>(textureHeight));
    }
    return true;
}

bool GxMoviePlayerFile::Play(std::int32_t loopCount, std::int32_t volume)
{
    m_LoopCount = loopCount;
    if (!m_MediaControl) return false;
    if (m_BasicAudio) m_BasicAudio->put_Volume(volume);
    if (SUCCEEDED(m_MediaControl->Run())) {
        m_Playing = true;
        return true;
    }
    m_Playing = false;
    return false;
}

bool GxMoviePlayerFile::Stop()
{
    m_Playing = false;
    if (!m_MediaControl) return false;
    return SUCCEEDED(m_MediaControl->Stop());
}

void GxMoviePlayerFile::SetVolume(std::int32_t volume)
{
    if (m_BasicAudio) m_BasicAudio->put_Volume(volume);
}

void GxMoviePlayerFile::SetRate(double rate)
{
    if (m_MediaPosition) m_MediaPosition->put_Rate(rate);
}

double GxMoviePlayerFile::GetStopTime()
{
    REFTIME time = 0.0;
    if (!m_MediaPosition || FAILED(m_MediaPosition->get_StopTime(&time))) return 0.0;
    return time;
}

double GxMoviePlayerFile::GetDuration()
{
    REFTIME time = 0.0;
    if (!m_MediaPosition || FAILED(m_MediaPosition->get_Duration(&time))) return 0.0;
    return time;
}

double GxMoviePlayerFile::GetPosition()
{
    REFTIME time = 0.0;
    if (!m_MediaPosition || FAILED(m_MediaPosition->get_CurrentPosition(&time))) return 0.0;
    return time;
}

std::int32_t GxMoviePlayerFile::GetLoopCount() { return m_Playing ? m_LoopCount : 0; }

void GxMoviePlayerFile::SetPosition(double seconds)
{
    if (m_MediaPosition) m_MediaPosition->put_CurrentPosition(seconds);
}

void GxMoviePlayerFile::GetTextureExtent(float* u, float* v)
{
    if (u) *u = m_ExtentU;
    if (v) *v = m_ExtentV;
}

HRESULT GxMoviePlayerFile::GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeout)
{
    if (!m_MediaEvent) return E_NOINTERFACE;
    return m_MediaEvent->GetEvent(code, param1, param2, timeout);
}

void GxMoviePlayerFile::Update()
{
    if (!m_MediaEvent || !m_MediaControl) return;
    LONG code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    if (m_MediaEvent->GetEvent(&code, &param1, &param2, 0) != S_OK) return;
    if (code == EC_COMPLETE) {
        if (m_LoopCount != 0) {
            if (m_MediaPosition) m_MediaPosition->put_CurrentPosition(m_LoopStart);
            m_MediaControl->Run();
            if (m_LoopCount > 0) --m_LoopCount;
        } else {
            m_Playing = false;
            if (m_MediaPosition) m_MediaPosition->put_CurrentPosition(0.0);
            m_MediaControl->Stop();
        }
    }
    m_MediaEvent->FreeEventParams(code, param1, param2);
}

IDirect3DTexture9* GxMoviePlayerFile::GetD3DTexture()
{
    if (!m_Renderer || !m_Renderer->Texture()) return nullptr;
    return m_Renderer->Texture()->GetCurrentTexture();
}

GxTextureMovie* GxMoviePlayerFile::GetTexture() { return m_Renderer ? m_Renderer->Texture() : nullptr; }
