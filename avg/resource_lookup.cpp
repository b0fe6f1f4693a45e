#include "avg/resource_lookup.h"

#include "data/data_tables.h"
#include "foundation/file.h"

#include <initializer_list>

namespace {

bool Exists(const std::u16string& path)
{
    return FileExists(path) != kFileNotFound;
}

bool ResolveWith(std::u16string& path, std::initializer_list<const char16_t*> extensions)
{
    if (Exists(path))
        return true;
    for (const char16_t* extension : extensions) {
        std::u16string candidate = path + extension;
        if (Exists(candidate)) {
            path = std::move(candidate);
            return true;
        }
    }
    return false;
}

std::u16string FileNameOf(const std::u16string& path)
{
    const std::size_t slash = path.find_last_of(u"\\/:");
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool ResolveImageFile(std::u16string& path)
{
    return ResolveWith(path, {u".png", u".dds", u".tga", u".jpg", u".bmp"});
}

bool ResolveSoundFile(std::u16string& path)
{
    return ResolveWith(path, {u".ogg", u".wav"});
}

bool ResolveMovieFile(std::u16string& path)
{
    return ResolveWith(path, {u".wmv", u".asf", u".mpg", u".avi"});
}

bool ResolveProjectFile(std::u16string& path)
{
    return ResolveWith(path, {u".gnc"});
}

std::int32_t FindCharacterVoice(std::u16string& voice)
{
    DBAvgChar& table = GetDBAvgChar();
    // Row 0 is the narrator's: never searched.
    for (std::int32_t row = 1; row < DBAvgChar::kRows; ++row) {
        const std::u16string& folder = table.GetRow(row)->m_VoicePath;
        if (folder.empty() || folder == u"*")
            continue;
        const std::u16string candidate = folder + voice;
        for (const char16_t* extension : {u"", u".ogg", u".wav"}) {
            std::u16string path = candidate + extension;
            if (Exists(path)) {
                voice = std::move(path);
                return row;
            }
        }
    }
    return 0;
}

std::uint32_t FindBgmLoopPosTime(const std::u16string& path)
{
    const std::u16string name = FileNameOf(path);
    DBBGMMode& table = GetDBBGMMode();
    for (std::int32_t row = 0; row < DBBGMMode::kRows; ++row) {
        const DBBGMModeRow* entry = table.GetRow(row);
        if (entry->m_FileName == name)
            return entry->m_LoopPosTime;
    }
    return 0;
}

void CountCGFiles()
{
    DBCGMode& table = GetDBCGMode();
    for (std::int32_t row = 0; row < DBCGMode::kRows; ++row) {
        DBCGModeRow* entry = table.GetRow(row);
        if (entry->m_FileName[0].empty() || entry->m_Count != 0)
            continue;
        std::int32_t count = 0;
        for (const std::u16string& file : entry->m_FileName)
            count += file.empty() ? 0 : 1;
        entry->m_Count = count;
    }
}

bool IsReplayLabel(const std::u16string& label)
{
    DBRPMode& table = GetDBRPMode();
    for (std::int32_t row = 0; row < DBRPMode::kRows; ++row) {
        const std::u16string& entry = table.GetRow(row)->m_Label;
        if (!entry.empty() && entry == label)
            return true;
    }
    return false;
}
