// Content documents written into memory with the engine's own writers, for the fixture builders.
#pragma once

#include <functional>
#include <string>

class GxContentWriterBase;

enum class TestContentForm { kText, kBinary };

// The bytes that `write` produces through a writer of that form.
std::string WriteContentBytes(TestContentForm form, const std::function<void(GxContentWriterBase&)>& write);
// Writes bytes to a file, making its folder; false when it cannot be written.
bool WriteBytesFile(const std::string& path, const std::string& bytes);
