#include "media/sound_channel_table.h"

void AudioCloseAllStreams() {}
void AudioDeleteAllStatic() {}
void SoundCloseAllStreams() {}
void SoundDeleteAllStatic() {}
