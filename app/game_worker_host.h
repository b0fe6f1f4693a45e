// The game worker's host in the running engine: the configuration, the game in progress and the
// persistent flags are the core's data objects, the play screen is the task "SeqAvgMain" when it
// is the stand-in screen. The play-screen subsystem replaces those calls as it lands.
#pragma once

#include "script/game_worker_host.h"

class GxCore;
class SeqAvgMain;

class GxGameWorkerHost : public GxGameWorkerHostBase {
public:
    // A null core means the engine's one core, looked up at each call.
    explicit GxGameWorkerHost(GxCore* core = nullptr);

    std::u16string GetSpeakerSeparators() override;
    std::u16string GetNameImageFolder() override;
    bool NameImageExists(const std::u16string& name) override;
    std::int32_t GetNameIdentifyMode() override;
    bool GetIgnoreKinsoku() override;
    void AddMessageLog(const std::u16string& name, const std::u16string& message, bool ignoreKinsoku,
                       bool disableAutoNewline) override;
    bool IsMessageRead(const std::u16string& scriptName, std::int32_t lineKey) override;
    void SetPermanentFlag(const std::u16string& scriptName, std::int32_t lineKey) override;
    bool HasPlayScreen() override;
    void SetMessageText(const std::u16string& text, bool read, bool ignoreKinsoku, std::int32_t flags) override;
    void SetSpeakerName(const std::u16string& name, std::int32_t mode) override;
    void ClearSpeakerName() override;

private:
    GxCore* Core() const;
    // Null when there is no task of that name or it is another kind of screen.
    SeqAvgMain* FindPlayScreen() const;

    GxCore* m_Core = nullptr;
};

// Installs the engine's one host into the script engine.
void InstallGameWorkerHost();
