// Stand-ins for the adventure-game module until it is built: the display defaults, the game
// start-up and reset as far as the core relies on them, and the module core "AVG" with its two
// screens. Each call is recorded.
#pragma once

#include "core/module_core_base.h"
#include "core/standins/screens_standin.h"

#include <cstdint>
#include <string>

class GxCore;
class GxSurface;
class GxTexture;

// Display defaults (1024 by 768, windowed, arrow cursor), 60 frames and 60 logic steps per
// second, and the log files emptied: "device.log" always, "debug.log" and "error.log" with
// "CleanErrorLog". A null core means the engine's one core.
void SetDefaultDisplaySettings(GxCore* core = nullptr);

// Turns the file cache on, mutes warnings by "SkipSlightError", runs the script compiler when
// "AutoCompile" is set, empties the image-set pool, starts the loader threads and the shared
// scopes, makes the global render textures and the depth-stencil, lifts the BGM restraint (level
// 100), installs the layer graphics that draws motion projects through them, sets up the system
// glyph caches with the configured sizes, creates the script engine and loads
// "bincode/moacode.mwb" (results ignored), loads the data tables, builds the tree root with
// "SeqSystem" and the screens, plugs the module core into entry 1, adds the three user-interface
// image sets to the pool, runs the modules' start-up hooks (the late one with the script
// engine's binder), reads the player's options ("userconf.dat") and chooses the sound engine by
// them and the system version (one "device.log" line), requests "SeqBoot" on worker slot 0,
// reads the system version and seeds the random generator. The script steps are skipped while
// no script services are installed. False when the core lacks its task manager.
bool GameStartup(GxCore* core);
// The modules' before-reset hook, the release of every shared scope, the system glyph caches,
// the script engine, the emptying of the image-set pool, the motion layer graphics and the
// global render targets, the lifted BGM restraint, the after-reset hook.
void GameReset(GxCore* core);

// The two global render textures "GlobalRenderTexture0" (screen size, A8R8G8B8): number 0
// receives the screen snapshot that a screen change fades out, number 1 a layer's
// motion-project drawing. Null for another index; empty (no device texture) outside the game's
// start-up and reset.
GxTexture* GetGlobalRenderTexture(std::int32_t index);
GxSurface* GetGlobalDepthStencil();

// Draws the current task trees into global render texture 0 through render set 1, leaving the
// frame's own render lists untouched; the result is that of restoring the previous render
// target. False, with nothing drawn, while that texture does not exist.
bool CaptureScreenToTexture(GxCore* core);

// The play screen until the adventure module is built: it shows nothing, but each message and
// speaker call is recorded (GxStandinTrace) and written as one "debug.log" line, and its update
// steps the main script worker. A shown message holds the worker until a left-button release or
// kMessageHoldFrames frames, so that a run without input advances by itself.
class SeqAvgMain : public GxStandinScreen {
public:
    static constexpr std::int32_t kMessageHoldFrames = 30;

    explicit SeqAvgMain(GxTaskBase* owner);

    // Shows the text under the current speaker and holds the worker.
    void SetMessageText(const std::u16string& text, bool read, bool ignoreKinsoku, std::int32_t flags);
    // Mode 0 or an empty name clears the speaker; modes 1 and 3 show the name; mode 2 shows it
    // only when its name image exists; any other mode does nothing.
    void SetSpeakerName(const std::u16string& name, std::int32_t mode);
    void ClearSpeakerName();

    // The queued widget events first; when none was handled, the main worker steps for as long
    // as a step succeeds and IsScriptRunnable holds.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    // Releases a message hold.
    int OnMouseLeftUp(const GxVector2* point, std::uint32_t keys) override;
    // No message held, no screen change pending, and this screen's worker slot started.
    bool IsScriptRunnable() override;

    const std::u16string& GetSpeakerName() const { return m_SpeakerName; }
    bool IsMessageHeld() const { return m_HoldFramesLeft > 0; }

private:
    std::u16string m_SpeakerName;
    std::int32_t m_HoldFramesLeft = 0;
};

// The module core of the adventure module: its screens "SeqAvgMain" and "SeqAvgLog" and shared
// scope 3; its data hooks store nothing.
class AvgCore : public GxModuleCoreBase, public GxCoreRemainder {
public:
    const char16_t* GetModuleName() override { return u"AVG"; }
    void Attach(GxCore* core) override;
    void AfterReset() override;
    void Initialize() override;
    void BeforeReset() override;
    void RegisterBuiltins(GxMoaFunctionBinder* binder) override;
    void CreateSequences(GxTaskBase* root) override;
    void OnBootTitle() override {}
    void BeforeLoadGame() override {}
    std::int32_t RestoreSequence() override { return 0; }
    void LoadConfigPage(std::int32_t) override {}
    void StoreConfigPage(std::int32_t) override {}
    void ResetConfig() override {}
    bool WriteGameData(GxContentWriterBase*, const char16_t*) override { return true; }
    bool ReadGameData(GxContentReaderBase*, const char16_t*, bool) override { return true; }
    bool WritePermanentData(GxContentWriterBase*) override { return true; }
    bool ReadPermanentData(GxContentReaderBase*) override { return true; }
    bool WriteUserConfig(GxContentWriterBase*) override { return true; }
    bool ReadUserConfig(GxContentReaderBase*) override { return true; }

    GxCore* GetCore() const { return m_Core; }

private:
    GxCore* m_Core = nullptr;
};

// The module's one instance (a static object, never owned by the core).
AvgCore& GetAvgCore();
