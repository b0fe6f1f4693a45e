// Saving a file whole or not at all: the bytes go to "<path>.tmp" in the same folder, every
// write is checked, the file is flushed, synced and closed, and only then renamed over the old
// one. A full disk or an I/O error leaves the earlier file as it was.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

// `write` fills the stream and returns false on any failed write. On any failure the temporary
// file is deleted, one line naming `path` is logged, and the result is false. When the rename
// took place but the folder could not be synced, the new file is in place: one line says so and
// the result is true.
bool SaveFileReplacing(const std::u16string& path, const std::function<bool(std::FILE*)>& write);

// For a loader that refused the file at `path` as damaged: what the live state holds is only
// what was read before the damage, so the first save that replaces the file first keeps it, as
// it is, in "<path>.damaged" (one line naming both). When it cannot be kept, that save fails and
// the refused file stays.
void KeepRefusedFileAtNextSave(const std::u16string& path);

// Deletes the "*.tmp" files in `folder` that saves killed before their rename left behind. For a
// folder of the engine's own only: every such file in it is taken for one.
void RemoveStaleSaveTemporaries(const std::u16string& folder);
