// The stream channels and live one-shot players of each back end, as device set-up and
// shut-down see them. The players are not built yet: the table holds none, so emptying it has
// nothing to close; the channel manager fills these in.
#pragma once

void AudioCloseAllStreams();
void AudioDeleteAllStatic();
void SoundCloseAllStreams();
void SoundDeleteAllStatic();
