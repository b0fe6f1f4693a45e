// The definition lists shared by the program and its scripts: labels keyed by name (the first
// of a name wins) and variable definitions in stored order, plus the bounded list count that
// every list of the program file goes through.
#pragma once

#include "script/label_definition.h"
#include "script/variable_definition.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class GxContentReaderBase;
class GxContentWriterBase;

using GxMoaLabelMap = std::map<std::u16string, std::unique_ptr<GxMoaLabelDefinition>>;

// The list's count, or 0 when the list begin cannot be read or announces more elements than
// the bytes left could hold (then one error is counted): nothing is sized from a damaged count.
std::uint32_t MoaReadListCount(GxContentReaderBase& reader, const char* name);

// Before each element of a list: false, with one counted error, when the data has ended, so
// that a damaged count never turns into a long run of failing reads.
bool MoaElementLeft(GxContentReaderBase& reader);

bool MoaWriteLabelList(GxContentWriterBase& writer, const GxMoaLabelMap& labels);
bool MoaReadLabelList(GxContentReaderBase& reader, GxMoaLabelMap& labels);
bool MoaWriteVariableDefinitionList(GxContentWriterBase& writer, const std::vector<GxMoaVariableDefinition>& list);
bool MoaReadVariableDefinitionList(GxContentReaderBase& reader, std::vector<GxMoaVariableDefinition>& list);
