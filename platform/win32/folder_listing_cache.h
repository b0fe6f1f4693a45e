// Case-folded listings of folders for the case-insensitive name match, kept per folder so that a
// name that is not on disk (every packed file) costs a hash look-up instead of a folder scan.
//
// A listing is keyed by the folder's device and inode (so a change of the current folder or a
// renamed folder cannot mix listings) and trusted while the folder's modification time is the
// one it was read at. A folder changed within the last few seconds is read again at each look-up:
// file systems stamp times coarsely (a clock tick, two seconds on FAT), so a listing read in the
// same tick as a change behind the engine's back could otherwise keep missing the new name.
// Changes the engine makes itself drop the folder's listing at once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

class FolderListingCache {
public:
    static FolderListingCache& Instance();

    // The entry of `folder` ("" is the current folder) spelled `name` exactly, else the one that
    // equals it but for case (A-Z and full-width Ａ-Ｚ), the byte-wise smallest when several do;
    // "" when none does; nullopt when the folder cannot be listed.
    std::optional<std::string> FindCaseVariant(const std::string& folder, const std::string& name);

    // Drops the listing of the folder that holds `path`, and of `path` itself when it is a
    // folder; called after the engine creates, renames or deletes `path`.
    void ForgetPath(const std::string& path);
    void Clear();

    // Folder listings read from disk since the process started (for tests).
    std::uint64_t ReadCount() const;

private:
    FolderListingCache() = default;
};

// Folds A-Z and the full-width Ａ-Ｚ (EF BC A1..BA) to small letters, in UTF-8.
std::string FoldCase(const std::string& name);

}  // namespace platform
