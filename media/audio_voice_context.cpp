#include "media/audio_voice_context.h"

#include "platform/win32/file.h"
#include "platform/win32/sync.h"

GxAudioVoiceContext::GxAudioVoiceContext() : m_Event(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

GxAudioVoiceContext::~GxAudioVoiceContext()
{
    if (m_Event) CloseHandle(m_Event);
}

void GxAudioVoiceContext::OnBufferEnd(void*)
{
    if (m_Event) SetEvent(m_Event);
}
