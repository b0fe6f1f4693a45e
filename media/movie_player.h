// The movie player: GxMoviePlayerBase, the abstract player a movie slot holds, and
// GxMoviePlayerFile, which plays one movie file into a GxTextureMovie through a filter graph of
// "FileReader" (the Windows Media reader filter for ".wmv" and ".asf", the asynchronous reader
// otherwise), the decoders the graph inserts, and "TextureRenderer". Everything here runs on the
// window thread; frames arrive on the graph's streaming threads under the texture's frame lock.
#pragma once

#include "platform/dshow/media_type.h"

#include <cstdint>
#include <string>

class GxMovieReader;
class GxMovieRenderer;
class GxMovieSourceFilterFile;
class GxTextureMovie;
struct IDirect3DTexture9;

class GxMoviePlayerBase {
public:
    // The slots call Close and then delete the player.
    virtual ~GxMoviePlayerBase() = default;

    virtual void Close() = 0;
    virtual bool Play(std::int32_t loopCount, std::int32_t volume) = 0;
    virtual bool Stop() = 0;
    virtual void SetVolume(std::int32_t volume) = 0;
    virtual void SetRate(double rate) = 0;
    virtual void SetLoopStart(double seconds) = 0;
    virtual double GetLoopStart() = 0;
    virtual double GetStopTime() = 0;
    virtual double GetDuration() = 0;
    virtual double GetPosition() = 0;
    virtual std::int32_t GetLoopCount() = 0;
    virtual void SetPosition(double seconds) = 0;
    virtual void GetTextureExtent(float* u, float* v) = 0;
    virtual std::uint32_t GetVideoWidth() = 0;
    virtual std::uint32_t GetVideoHeight() = 0;
    virtual std::uint32_t GetVideoPitch() = 0;
    virtual HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeout) = 0;
    virtual void Update() = 0;
    virtual bool IsPlaying() = 0;
    virtual IDirect3DTexture9* GetD3DTexture() = 0;
    virtual GxTextureMovie* GetTexture() = 0;
};

// The media subtype a file name's extension plays as (A to Z compared lower-cased); GUID_NULL
// when the engine cannot play it.
GUID MediaSubtypeFromExtension(const std::u16string& fileName);

class GxMoviePlayerFile : public GxMoviePlayerBase {
public:
    GxMoviePlayerFile();
    ~GxMoviePlayerFile() override;
    GxMoviePlayerFile(const GxMoviePlayerFile&) = delete;
    GxMoviePlayerFile& operator=(const GxMoviePlayerFile&) = delete;

    // Builds the stopped graph of `fileName` into `texture`; every failure logs its line and
    // leaves the player closed, with no graph to run. `unused` has no meaning; `discardLock` goes to the renderer.
    bool Open(const std::u16string& fileName, GxTextureMovie* texture, std::int32_t unused, bool discardLock);

    // Stops the graph, releases its parts and shuts the reader down, then deletes the source
    // stream; every pointer ends empty.
    void Close() override;
    // Stores the loop count first; runs the graph.
    bool Play(std::int32_t loopCount, std::int32_t volume) override;
    // Keeps the position.
    bool Stop() override;
    void SetVolume(std::int32_t volume) override;
    void SetRate(double rate) override;
    void SetLoopStart(double seconds) override { m_LoopStart = seconds; }
    double GetLoopStart() override { return m_LoopStart; }
    double GetStopTime() override;
    double GetDuration() override;
    double GetPosition() override;
    // The repetitions left while playing, else 0.
    std::int32_t GetLoopCount() override;
    void SetPosition(double seconds) override;
    void GetTextureExtent(float* u, float* v) override;
    std::uint32_t GetVideoWidth() override { return m_VideoWidth; }
    std::uint32_t GetVideoHeight() override { return m_VideoHeight; }
    std::uint32_t GetVideoPitch() override { return m_VideoPitch; }
    HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeout) override;
    // Takes at most one graph event without waiting; the end of the movie loops or stops it.
    void Update() override;
    bool IsPlaying() override { return m_Playing; }
    IDirect3DTexture9* GetD3DTexture() override;
    GxTextureMovie* GetTexture() override;

    // Test seams: the parts of the built graph (not counted).
    IGraphBuilder* Graph() const { return m_Graph; }
    GxMovieReader* Reader() const { return m_Reader; }
    GxMovieRenderer* Renderer() const { return m_Renderer; }

private:
    bool BuildGraph(const std::u16string& fileName, GxTextureMovie* texture, bool discardLock);

    GxMovieSourceFilterFile* m_SourceStream = nullptr;
    GxMovieReader* m_Reader = nullptr;        // one reference
    IGraphBuilder* m_Graph = nullptr;
    IMediaControl* m_MediaControl = nullptr;
    IMediaPosition* m_MediaPosition = nullptr;
    IMediaEvent* m_MediaEvent = nullptr;
    GxMovieRenderer* m_Renderer = nullptr;    // the reference it was created with
    IBasicAudio* m_BasicAudio = nullptr;
    CMediaType m_MediaType;
    bool m_Playing = false;
    std::int32_t m_LoopCount = 0;
    std::uint32_t m_VideoWidth = 0;
    std::uint32_t m_VideoHeight = 0;
    std::uint32_t m_VideoPitch = 0;
    float m_ExtentU = 1.0f;
    float m_ExtentV = 1.0f;
    double m_LoopStart = 0.0;
};
