// What the game worker reaches above the script engine: the configuration, the saved game, the
// persistent flags and the play screen all sit in higher subsystems, so the worker calls them
// through this one interface, which the process entry installs. With none installed a text line
// is treated as with no play screen and nothing is recorded.
#pragma once

#include <cstdint>
#include <string>

class GxGameWorkerHostBase {
public:
    virtual ~GxGameWorkerHostBase() = default;

    // The game configuration: the characters that end a speaker's name ("「（") and the folder
    // of the name images ("cg/name/").
    virtual std::u16string GetSpeakerSeparators() = 0;
    virtual std::u16string GetNameImageFolder() = 0;
    // Whether an image of that name exists in one of the image formats.
    virtual bool NameImageExists(const std::u16string& name) = 0;

    // The current saved game: how speakers are shown (0 none, 1 text, 2 image only, 3 image or
    // text), the line-breaking switch, and its message log.
    virtual std::int32_t GetNameIdentifyMode() = 0;
    virtual bool GetIgnoreKinsoku() = 0;
    virtual void AddMessageLog(const std::u16string& name, const std::u16string& message, bool ignoreKinsoku,
                               bool disableAutoNewline) = 0;

    // The read-message flags kept across games, by script name and line key (line + 1).
    virtual bool IsMessageRead(const std::u16string& scriptName, std::int32_t lineKey) = 0;
    virtual void SetPermanentFlag(const std::u16string& scriptName, std::int32_t lineKey) = 0;

    // The play screen; its three calls do nothing while it does not exist.
    virtual bool HasPlayScreen() = 0;
    virtual void SetMessageText(const std::u16string& text, bool read, bool ignoreKinsoku, std::int32_t flags) = 0;
    virtual void SetSpeakerName(const std::u16string& name, std::int32_t mode) = 0;
    virtual void ClearSpeakerName() = 0;
};

// Not owned; null removes it. Returns the previous one.
GxGameWorkerHostBase* SetGameWorkerHost(GxGameWorkerHostBase* host);
GxGameWorkerHostBase* GetGameWorkerHost();
