// Look-ups over the data tables that the play screen and the gallery share.
#pragma once

#include <cstdint>
#include <string>

struct DBUILayoutRow;

// Finds a picture in the picture table by the file title of `fileName` (no folder, cut before the
// first "."), ignoring the case of A-Z: rows in order, elements in order, empty elements skipped.
// No match gives false with row and element 0.
bool FindCGByFileName(const std::u16string& fileName, std::int32_t* row, std::int32_t* element);
// The first character row whose non-empty CharName equals `name` exactly; -1 when none does.
std::int32_t FindAvgCharByName(const std::u16string& name);
// The first layout row, in ID order, whose non-empty TaskName equals `name` exactly; null (with a
// log line) when none does.
DBUILayoutRow* FindUILayout(const std::u16string& name);
