// GxMovieRenderer ("TextureRenderer" in a movie graph): the video renderer at the end of every
// movie graph. It takes uncompressed bottom-up RGB24 video and copies each frame, when the
// clock reaches it, into the back texture of a GxTextureMovie, converting to the texture's
// format, then flips so that the frame is shown.
#pragma once

#include "platform/dshow/base_renderer.h"

class GxTextureMovie;

// {71771540-2017-11CF-AE26-0020AFD79767}
inline constexpr CLSID CLSID_GxMovieRenderer = {0x71771540, 0x2017, 0x11CF, {0xAE, 0x26, 0x00, 0x20, 0xAF, 0xD7, 0x97, 0x67}};

class GxMovieRenderer : public CBaseVideoRenderer {
public:
    // Takes one reference on itself, which the creator releases. Without a texture the
    // renderer makes its own in SetMediaType and deletes it. `discardLock` locks the texture
    // with D3DLOCK_DISCARD.
    GxMovieRenderer(LPUNKNOWN outer, GxTextureMovie* texture, bool discardLock, HRESULT* result);
    ~GxMovieRenderer() override;

    // Video (RGB24, VIDEOINFOHEADER) with a non-empty picture only.
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT SetMediaType(const CMediaType* type) override;
    // Under the texture's frame lock: lock the back texture, copy, unlock, flip. A sample
    // shorter than the frame is refused before anything is copied.
    HRESULT DoRenderSample(IMediaSample* sample) override;

    LONG VideoWidth() const { return m_VideoWidth; }
    LONG VideoHeight() const { return m_VideoHeight; }
    LONG VideoPitch() const { return m_VideoPitch; }
    GxTextureMovie* Texture() const { return m_Texture; }

private:
    GxTextureMovie* m_Texture;
    bool m_OwnsTexture;
    bool m_DiscardLock;
    LONG m_VideoWidth = 0;
    LONG m_VideoHeight = 0;   // always positive
    LONG m_VideoPitch = 0;    // bytes per source row, a multiple of 4
};
