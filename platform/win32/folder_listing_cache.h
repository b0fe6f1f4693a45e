// Case-folded listings of folders for the case-insensitive name match, kept per folder so that a
// name that is not on disk (every packed file) costs a hash look-up instead of a folder scan.
//
// A listing is keyed by the folder's device and inode (so a change of the current folder or a
// renamed folder cannot mix listings) and trusted while the folder's modification time is the
// one it was read at. A folder changed within the last few seconds is read again at each look-up:
// file systems stamp times coarsely (a clock tick, two seconds on FAT), so a listing read in the
// same tick as a change behind the engine's back could otherwise keep missing the new name.
// Changes the engine makes itself drop the folder's listing at once.
//
// For names a pack also holds, a settled listing checked against its folder's time less than a
// millisecond ago is trusted without asking again: a folder's time costs a system call, which on
// a virtual machine is most of what reading a packed file costs, and a loading burst asks for
// hundreds of names within that time. A loose copy put beside the pack behind the engine's back
// thus shows at most a millisecond late; other names are always checked.
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
    // With `trustRecent`, a listing checked within kTrustNanoseconds answers without a new check.
    std::optional<std::string> FindCaseVariant(const std::string& folder, const std::string& name,
                                               bool trustRecent = false);

    // Drops the listing of the folder that holds `path`, and of `path` itself when it is a
    // folder; called after the engine creates, renames or deletes `path`.
    void ForgetPath(const std::string& path);
    // Called when the current folder changes: listings asked for by relative names are looked up
    // again.
    void ForgetRelativeFolders();
    void Clear();

    // How long a checked listing is trusted without looking at its folder's time again.
    static constexpr std::int64_t kTrustNanoseconds = 1'000'000;

    // Folder listings read from disk since the process started (for tests).
    std::uint64_t ReadCount() const;

private:
    FolderListingCache() = default;
};

// Folds A-Z and the full-width Ａ-Ｚ (EF BC A1..BA) to small letters, in UTF-8.
std::string FoldCase(const std::string& name);

}  // namespace platform
