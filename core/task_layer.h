// GxTaskLayer: the actor that shows one picture layer of the play screen (background, event
// picture, standing character, movie, colour fill). It owns two contents and shows one; every
// load fills the other one, makes it current and, given a fade time, cross-fades from the old
// content in one of four fade modes. It shakes on request, draws each kind of content with the
// visual parameters of its actor part, plays movies through movie slots 1 and 2 (content k uses
// slot k + 1, shared by every layer) and saves and restores everything it shows.
//
// Sections: task operations | loads | sub-layers | movies | shake and fade | drawing helpers
#pragma once

#include "core/layer_content.h"
#include "core/seq_transit_base.h"
#include "core/task_actor.h"

#include <cstdint>
#include <string>
#include <vector>

class GxMoviePlayerFile;

// Fade modes of content changes (m_LocalTransitMode); any other value is linear.
constexpr std::int32_t kLayerTransitLinear = 0;
constexpr std::int32_t kLayerTransitSoft = 1;        // both factors rise above linear mid-way
constexpr std::int32_t kLayerTransitSoftMixed = 2;   // three quarters soft, one quarter linear
constexpr std::int32_t kLayerTransitThroughBlack = 3;   // old out by half-way, then new in

// Where a layer queues itself.
constexpr std::int32_t kLayerRenderList = 5;

class GxTaskLayer : public GxTaskActor {
public:
    GxTaskLayer(GxTaskBase* owner, const char16_t* name, const char16_t* localName = nullptr,
                std::int32_t localIndex = 0);
    // Each content clears itself (releasing its resources and movie slot).
    ~GxTaskLayer() override;

    // ---- task operations ---------------------------------------------------------------------
    // Actions, movie auto-clear, content transforms, shake, frame counts, fade, update count.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    // Render list 5 of the core's current set, ascending depth m_OrderZ, value 0.
    int Render(std::int32_t step, std::uint64_t elapsed) override;
    // The current content, or both during a fade, then the error-image label.
    int Draw(std::int32_t value, std::int32_t listIndex) override;
    // The actor part, both contents (movie position and loops taken from their slots first), then
    // the layer's own fields.
    bool WriteState(GxContentWriterBase& writer) override;
    // As written, then both contents load their resources, content 0 first.
    bool ReadState(GxContentReaderBase& reader) override;
    // The current content's image size (kinds 3, 6 and 8), else 0.
    std::int32_t GetWidth() const override;
    std::int32_t GetHeight() const override;

    virtual std::int32_t GetLayerType() const { return m_LayerType; }
    virtual void SetLayerType(std::int32_t type) { m_LayerType = type; }

    // ---- loads -------------------------------------------------------------------------------
    // Each finishes the layer's actions, makes the other content current and clears it, fills it
    // and starts a fade of `fadeMs` (0 or less: the old content is cleared at once). The motion
    // and image-set loads without a resource, and LoadBlendedImages with no files, return false
    // before the fade is touched.
    // An empty group name takes the project's first motion group.
    virtual bool LoadMotionProject(const std::u16string& file, const std::u16string& imageSet,
                                   const std::u16string& groupName, const std::u16string& motionName,
                                   std::int32_t startFrame, std::int32_t fadeMs);
    // True when the image set has the pattern group (the image name, A-Z lowered).
    virtual bool LoadImageSetPattern(const std::u16string& file, const std::u16string& imageName,
                                     std::int32_t patternIndex, std::int32_t fadeMs);
    // A missing file shows the configured error image, labelled with the requested name.
    virtual bool LoadFlexImage(const std::u16string& file, std::int32_t fadeMs);
    // 0xAARRGGBB over the whole virtual screen.
    virtual bool LoadSolidColor(std::uint32_t argb, std::int32_t fadeMs);
    // `playNow` also clears the content once the movie has stopped; without it the movie waits
    // for PlayMovie.
    virtual bool LoadMovie(const std::u16string& file, std::int32_t width, std::int32_t height,
                           std::int32_t playCount, double loopStart, std::int32_t volume, bool playNow,
                           std::int32_t fadeMs);
    virtual bool LoadBlankTexture(std::int32_t width, std::int32_t height, std::int32_t fadeMs);
    virtual bool LoadImageFile(const std::u16string& file, std::int32_t fadeMs);
    // PNG files blended into one image, the first giving the size.
    virtual bool LoadBlendedImages(const std::vector<std::u16string>& files, std::int32_t fadeMs);
    // Switches to an empty content (fading the old one out); true.
    virtual bool ClearContent(std::int32_t fadeMs);

    // ---- sub-layers --------------------------------------------------------------------------
    // Loads sub-layer `index` of the current content; an index out of range logs and fails.
    virtual bool LoadSubLayer(const std::u16string& file, std::int32_t index);
    // Sets the sub-layer's visibility in both contents, so that it survives the next change; an
    // index beyond content 0's sub-layers logs and fails.
    virtual bool ShowSubLayer(std::int32_t index);
    virtual bool HideSubLayer(std::int32_t index);

    // Stops the shake, clears both contents and the error-image label, fade mode 1; the fade
    // state and the current content number stay.
    virtual void ResetLayer();
    virtual GxLayerContent& GetCurrentContent() { return m_Content[m_IndexPos]; }
    virtual GxLayerContent& GetOtherContent() { return m_Content[1 - m_IndexPos]; }

    // ---- movies ------------------------------------------------------------------------------
    virtual void StopMovie();
    // Opens the current movie's slot again and plays it; false unless the current content is a
    // movie with a texture.
    virtual bool PlayMovie(std::int32_t volume);
    // Null unless the current content is a movie.
    virtual GxMoviePlayerFile* GetMoviePlayer();
    virtual bool IsMoviePlaying();
    // Seconds; 0 unless the current content is a movie with a texture.
    virtual double GetMoviePosition();

    // ---- shake and fade ----------------------------------------------------------------------
    // A negative time shakes until StopShake.
    virtual void StartShake(const GxVector3& amplitude, std::int32_t timeMs);
    virtual void StopShake();
    virtual bool IsInTransit() const { return m_Transit.m_Transit; }
    // False when no fade runs; else ends it and clears the outgoing content.
    virtual bool EndTransit();
    virtual void SetMovieAutoDisappearTime(std::int32_t ms) { m_MovieAutoDisappearTime = ms; }
    virtual std::int32_t GetMovieAutoDisappearTime() const { return m_MovieAutoDisappearTime; }
    virtual void SetLocalTransitMode(std::int32_t mode) { m_LocalTransitMode = mode; }
    virtual std::int32_t GetLocalTransitMode() const { return m_LocalTransitMode; }
    // Centres the current content on the virtual screen (whole pixels).
    virtual void CenterOnScreen();

    const GxLayerContent& GetContent(std::int32_t index) const { return m_Content[index & 1]; }
    GxLayerContent& GetContent(std::int32_t index) { return m_Content[index & 1]; }
    const GxTransitParam& GetTransitParam() const { return m_Transit; }
    bool IsErrorImageShown() const { return m_ErrorImage; }

    GxLayerContent m_Content[2];
    std::int32_t m_LayerType = 0;       // the screen's number for the layer; only stored
    std::int32_t m_IndexPos = 0;        // the current content, 0 or 1
    GxTransitParam m_Transit;
    bool m_Shake = false;
    GxVector3 m_ShakeAmplitude;         // pixels in x and y; z is only saved
    std::int32_t m_ShakeTimeLeft = 0;
    std::int32_t m_ShakeTimeTotal = 0;  // negative: until stopped
    std::int32_t m_MovieAutoDisappearTime = 0;
    std::int32_t m_LocalTransitMode = kLayerTransitSoft;
    bool m_ErrorImage = false;          // the current image fell back to the error image; not saved

protected:
    // Steps 1 to 3 of every load: finish actions, switch contents, clear the new current one.
    GxLayerContent& BeginLoad();
    // Step 5: start the fade, or clear the outgoing content at once.
    void SetUpFade(std::int32_t fadeMs);
    void UpdateContentTransform(GxLayerContent& content);
    // True while the layer's picture changes by itself from frame to frame.
    bool IsAnimating();
    void DrawContent(GxLayerContent& content, float factor);

private:
    GxCore* GetCore() const;
    bool SetSubLayerVisible(std::int32_t index, bool visible);
    void DrawImageContent(GxLayerContent& content, std::uint32_t color0, std::uint32_t color1);
    void DrawTextureContent(GxLayerContent& content, std::uint32_t color0, std::uint32_t color1);
};
