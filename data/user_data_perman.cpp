#include "data/user_data_perman.h"

#include "core/core.h"
#include "data/data_lookup.h"
#include "data/data_tables.h"
#include "data/saved_file_reader.h"
#include "data/saved_script.h"
#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"
#include "foundation/content_text.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/safe_save.h"
#include "script/moa.h"
#include "script/worker.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr std::uint32_t kVersion = 100;
constexpr std::int32_t kPermanentSaveClass = 2;

using FlagMap = std::map<std::u16string, GxFlagBits>;

// Bits of a key, or null.
const GxFlagBits* FindBits(const FlagMap& map, const std::u16string& key)
{
    const auto found = map.find(key);
    return found != map.end() ? &found->second : nullptr;
}

// The number of picture names in one row of the picture table.
std::int32_t CGFileNameCount()
{
    const std::int32_t n = GetDBCGMode().ColumnArrayLength(u"FileName");
    return std::clamp(n, 0, static_cast<std::int32_t>(std::size(DBCGModeRow{}.m_FileName)));
}

void InsertRowPictures(std::map<std::u16string, std::int32_t>& shown, const DBCGModeRow& row)
{
    const std::int32_t n = CGFileNameCount();
    for (std::int32_t element = 0; element < n; ++element)
        if (!row.m_FileName[element].empty())
            shown.emplace(row.m_FileName[element], 1);
}

bool WriteFlagMap(GxContentWriterBase& w, const char* name, const FlagMap& map)
{
    bool ok = w.WriteU32(name, static_cast<std::uint32_t>(map.size()));
    for (auto entry = map.begin(); ok && entry != map.end(); ++entry) {
        ok = w.WriteWString("Key", entry->first) &&
             w.WriteU32("Flags", static_cast<std::uint32_t>(entry->second.size()));
        for (auto word = entry->second.begin(); ok && word != entry->second.end(); ++word)
            ok = w.WriteU32("Value", *word);
    }
    return ok;
}

// A stored count, 0 when it cannot be read. A count that needs more elements than the bytes
// left could hold is damage: counted, and the section then reads as empty.
std::uint32_t ReadCount(GxContentReaderBase& r, const char* name)
{
    std::uint32_t count = 0;
    if (!r.ReadU32(name, &count))
        return 0;
    if (count > r.BytesLeft()) {
        r.CountDamage("GxUserDataPerman/%s: %u entries cannot be in the file\n", name, count);
        return 0;
    }
    return count;
}

// The entries one by one, stopping at the first that fails; a key already present keeps its
// first bits.
void ReadFlagMap(GxContentReaderBase& r, const char* name, FlagMap& map)
{
    const std::uint32_t count = ReadCount(r, name);
    for (std::uint32_t n = 0; n < count; ++n) {
        const GxReadFailureWatch watch(r);
        std::u16string key = r.ReadWString("Key");
        const std::uint32_t words = ReadCount(r, "Flags");
        if (watch.Failed())
            return;
        GxFlagBits bits;
        for (std::uint32_t word = 0; word < words; ++word) {
            std::uint32_t value = 0;
            if (!r.ReadU32("Value", &value))
                return;
            bits.push_back(value);
        }
        map.emplace(std::move(key), std::move(bits));
    }
}

}  // namespace

void SetFlagBit(GxFlagBits& bits, std::int32_t n)
{
    if (n < 0)
        return;
    const std::size_t word = static_cast<std::size_t>(n) / 32;
    if (bits.size() <= word)
        bits.resize(word + 1, 0);
    bits[word] |= 1u << (n % 32);
}

bool TestFlagBit(const GxFlagBits& bits, std::int32_t n)
{
    if (n < 0)
        return false;
    const std::size_t word = static_cast<std::size_t>(n) / 32;
    return word < bits.size() && (bits[word] & (1u << (n % 32))) != 0;
}

GxUserDataPerman::GxUserDataPerman(GxCore* core) : m_Core(core) {}

GxUserDataPerman::~GxUserDataPerman() = default;

void GxUserDataPerman::SetPermanentFlag(const std::u16string& scriptName, std::int32_t bit)
{
    SetFlagBit(m_ReadedMessageFlags[scriptName], bit);
}

bool GxUserDataPerman::IsMessageRead(const std::u16string& scriptName, std::int32_t bit) const
{
    const GxFlagBits* bits = FindBits(m_ReadedMessageFlags, scriptName);
    return bits != nullptr && TestFlagBit(*bits, bit);
}

void GxUserDataPerman::SetMenuSelected(const std::u16string& selectHash, std::int32_t item)
{
    SetFlagBit(m_SelectedMenuFlags[selectHash], item);
}

bool GxUserDataPerman::IsMenuSelected(const std::u16string& selectHash, std::int32_t item) const
{
    const GxFlagBits* bits = FindBits(m_SelectedMenuFlags, selectHash);
    return bits != nullptr && TestFlagBit(*bits, item);
}

void GxUserDataPerman::SetAllReplayLabelsPassed()
{
    m_PassedReplayLabels.clear();
    DBRPMode& table = GetDBRPMode();
    for (std::int32_t slot = 0; slot < DBRPMode::kRows; ++slot) {
        const DBRPModeRow* row = table.GetRow(slot);
        if (row != nullptr && !row->m_Label.empty())
            m_PassedReplayLabels.insert(row->m_Label);
    }
}

void GxUserDataPerman::SetCGShown(const std::u16string& fileName)
{
    m_ShowedCGFlags.emplace(GetFileTitleFromPath(fileName), 1);
}

bool GxUserDataPerman::SetCGGroupShown(const std::u16string& fileName)
{
    std::int32_t rowIndex = 0;
    std::int32_t element = 0;
    if (!FindCGByFileName(fileName, &rowIndex, &element))
        return false;
    const DBCGModeRow* row = GetDBCGMode().GetRow(rowIndex);
    if (row == nullptr || row->m_Count == 0)
        return false;
    InsertRowPictures(m_ShowedCGFlags, *row);
    return true;
}

void GxUserDataPerman::SetAllCGShown()
{
    m_ShowedCGFlags.clear();
    DBCGMode& table = GetDBCGMode();
    for (std::int32_t slot = 0; slot < DBCGMode::kRows; ++slot)
        if (const DBCGModeRow* row = table.GetRow(slot))
            InsertRowPictures(m_ShowedCGFlags, *row);
}

bool GxUserDataPerman::WriteValues(GxContentWriterBase& w) const
{
    bool ok = WriteFlagMap(w, "m_ReadedMessageFlags", m_ReadedMessageFlags) &&
              WriteFlagMap(w, "m_SelectedMenuFlags", m_SelectedMenuFlags) &&
              w.WriteU32("m_PassedReplayLabels", static_cast<std::uint32_t>(m_PassedReplayLabels.size()));
    for (auto label = m_PassedReplayLabels.begin(); ok && label != m_PassedReplayLabels.end(); ++label)
        ok = w.WriteWString("Key", *label);
    ok = ok && w.WriteU32("m_ShowedCGFlags", static_cast<std::uint32_t>(m_ShowedCGFlags.size()));
    for (auto entry = m_ShowedCGFlags.begin(); ok && entry != m_ShowedCGFlags.end(); ++entry)
        ok = w.WriteWString("Key", entry->first) && w.WriteS32("Value", entry->second);
    const GxBit32 extra{m_ExtraOption};
    return ok && w.WriteBit32("m_ExtraOption", &extra);
}

void GxUserDataPerman::ReadValues(GxContentReaderBase& r)
{
    m_ReadedMessageFlags.clear();
    m_SelectedMenuFlags.clear();
    m_PassedReplayLabels.clear();
    m_ShowedCGFlags.clear();

    ReadFlagMap(r, "m_ReadedMessageFlags", m_ReadedMessageFlags);
    ReadFlagMap(r, "m_SelectedMenuFlags", m_SelectedMenuFlags);

    const std::uint32_t labels = ReadCount(r, "m_PassedReplayLabels");
    for (std::uint32_t n = 0; n < labels; ++n) {
        const GxReadFailureWatch watch(r);
        std::u16string label = r.ReadWString("Key");
        if (watch.Failed())
            break;
        m_PassedReplayLabels.insert(std::move(label));
    }

    const std::uint32_t pictures = ReadCount(r, "m_ShowedCGFlags");
    for (std::uint32_t n = 0; n < pictures; ++n) {
        const GxReadFailureWatch watch(r);
        std::u16string key = r.ReadWString("Key");
        std::int32_t value = 0;
        r.ReadS32("Value", &value);
        if (watch.Failed())
            break;
        m_ShowedCGFlags.emplace(std::move(key), value);
    }

    GxBit32 extra{m_ExtraOption};
    r.ReadBit32("m_ExtraOption", &extra);
    m_ExtraOption = extra.m_Bits;
}

bool SavePermanentData(GxUserDataPerman* data, const std::u16string& path, bool binary)
{
    if (data == nullptr)
        return false;
    GxSavedDataScript script;
    return SaveFileReplacing(path, [data, binary, &script](std::FILE* stream) {
        std::unique_ptr<GxContentWriterBase> writer;
        if (binary)
            writer = std::make_unique<GxContentBinaryWriter>(stream);
        else
            writer = std::make_unique<GxContentTextWriter>(stream);
        if (!writer->WriteHeader(binary ? "BPD" : "TPD", kVersion) || !data->WriteValues(*writer))
            return false;
        // Their own results are not looked at: a byte the stream refused fails the save anyway.
        script.Moa().WriteVariables(*writer, kPermanentSaveClass);
        script.MainWorker().WriteScriptVariables(*writer, kPermanentSaveClass);
        const bool modules = data->m_Core == nullptr || data->m_Core->ModulesWritePermanentData(writer.get());
        return modules && writer->GetErrorCount() == 0;
    });
}

bool DecodePermanentData(GxUserDataPerman* data, const GxBinBuffer& bytes)
{
    if (data == nullptr)
        return false;
    const std::unique_ptr<GxContentReaderBase> reader = OpenSavedFileReader(bytes, "TPD", "BPD");
    if (!reader)
        return false;
    data->ReadValues(*reader);
    GxSavedDataScript script;
    script.Moa().ReadVariables(*reader, kPermanentSaveClass);
    script.MainWorker().ReadScriptVariables(*reader, kPermanentSaveClass);
    const bool modules = data->m_Core == nullptr || data->m_Core->ModulesReadPermanentData(reader.get());
    return modules && reader->GetErrorCount() == 0;
}

bool LoadPermanentData(GxUserDataPerman* data, const std::u16string& path)
{
    if (data == nullptr)
        return false;
    // A first start has no file: no line for that.
    if (!OpenFileRead(path))
        return false;
    GxBinBuffer bytes;
    if (!GxFile::ReadWholeFile(bytes, path))
        return false;
    if (!DecodePermanentData(data, bytes)) {
        LogPrint(u"LoadPermanentData/the file could not be read whole[%s]\n", path.c_str());
        // The flags hold only what came before the damage: the next save must not destroy the rest.
        KeepRefusedFileAtNextSave(path);
        return false;
    }
    return true;
}
