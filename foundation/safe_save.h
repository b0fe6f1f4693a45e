// Saving a file whole or not at all: the bytes go to "<path>.tmp" in the same folder, every
// write is checked, the file is flushed, synced and closed, and only then renamed over the old
// one. A full disk or an I/O error leaves the earlier file as it was.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

// `write` fills the stream and returns false on any failed write. On any failure the temporary
// file is deleted, one line naming `path` is logged, and the result is false.
bool SaveFileReplacing(const std::u16string& path, const std::function<bool(std::FILE*)>& write);
