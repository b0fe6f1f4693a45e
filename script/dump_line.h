// The one-line text of a named value for variable dumps, with a line per array element.
#pragma once

#include <string>

class GxMoaVariable;

// `name` null for an unnamed value; depth is the indentation in steps of two spaces.
std::u16string DumpVariableLine(const char16_t* name, const GxMoaVariable& value, int depth);
