// The source-voice callback of a stream buffer: a finished buffer wakes the refill thread.
#pragma once

#include "platform/win32/win_types.h"
#include "platform/xaudio2/xaudio2.h"

class GxAudioVoiceContext : public IXAudio2VoiceCallback {
public:
    // The auto-reset event is made unsignalled here and closed by the destructor.
    GxAudioVoiceContext();
    virtual ~GxAudioVoiceContext();
    GxAudioVoiceContext(const GxAudioVoiceContext&) = delete;
    GxAudioVoiceContext& operator=(const GxAudioVoiceContext&) = delete;

    void OnVoiceProcessingPassStart(UINT32) override {}
    void OnVoiceProcessingPassEnd() override {}
    void OnStreamEnd() override {}
    void OnBufferStart(void*) override {}
    // Runs on the mixer's thread: only signals, never blocks. Several ends before the thread
    // runs again wake it once.
    void OnBufferEnd(void*) override;
    void OnLoopEnd(void*) override {}
    void OnVoiceError(void*, HRESULT) override {}

    HANDLE GetEvent() const { return m_Event; }

private:
    HANDLE m_Event = nullptr;
};
