#include "platform/win32/folder_listing_cache.h"

#include <dirent.h>
#include <sys/stat.h>
#include <time.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace platform {

namespace {

// A folder changed this recently is not trusted to show a later change in its time stamp.
constexpr std::int64_t kSettleNanoseconds = 3'000'000'000;
// Beyond this many folders the cache starts afresh (a game reads from a handful).
constexpr std::size_t kMaxFolders = 512;

struct Listing {
    timespec modified{};
    std::unordered_map<std::string, std::string> byFolded;   // folded name -> smallest spelling
    std::unordered_set<std::string> names;
};

using FolderKey = std::pair<dev_t, ino_t>;

// A listing as last checked for a folder named as the caller names it.
struct Checked {
    std::shared_ptr<const Listing> listing;
    std::int64_t at = 0;   // monotonic nanoseconds
};

struct CacheState {
    std::mutex lock;   // guards the maps only: folders are read without it
    std::map<FolderKey, std::shared_ptr<const Listing>> listings;
    std::unordered_map<std::string, Checked> checked;
    std::atomic<std::uint64_t> reads{0};
};

CacheState& State()
{
    static CacheState state;
    return state;
}

std::int64_t Nanoseconds(const timespec& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

std::int64_t MonotonicNow()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return Nanoseconds(now);
}

bool SameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool Settled(const timespec& modified)
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t age = Nanoseconds(now) - Nanoseconds(modified);
    return age >= kSettleNanoseconds;   // a time in the future never settles
}

std::shared_ptr<Listing> ReadListing(const std::string& folder, std::atomic<std::uint64_t>& reads)
{
    DIR* directory = opendir(folder.c_str());
    if (!directory) return nullptr;
    reads.fetch_add(1, std::memory_order_relaxed);
    auto listing = std::make_shared<Listing>();
    while (dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        listing->names.insert(name);
        auto [slot, added] = listing->byFolded.try_emplace(FoldCase(name), name);
        if (!added && name < slot->second) slot->second = name;
    }
    closedir(directory);
    return listing;
}

std::string Lookup(const Listing& listing, const std::string& name)
{
    // Folded first: most names asked for are not there at all, and then one look-up answers.
    const auto found = listing.byFolded.find(FoldCase(name));
    if (found == listing.byFolded.end()) return std::string();
    return listing.names.count(name) != 0 ? name : found->second;
}

}  // namespace

FolderListingCache& FolderListingCache::Instance()
{
    static FolderListingCache cache;
    return cache;
}

std::optional<std::string> FolderListingCache::FindCaseVariant(const std::string& folder, const std::string& name,
                                                               bool trustRecent)
{
    CacheState& state = State();
    const std::string path = folder.empty() ? "." : folder;
    const std::int64_t now = MonotonicNow();
    if (trustRecent) {
        std::lock_guard<std::mutex> guard(state.lock);
        const auto recent = state.checked.find(path);
        if (recent != state.checked.end() && now - recent->second.at < kTrustNanoseconds)
            return Lookup(*recent->second.listing, name);
    }

    struct stat before{};
    if (stat(path.c_str(), &before) != 0 || !S_ISDIR(before.st_mode)) return std::string();
    const FolderKey key{before.st_dev, before.st_ino};
    {
        std::lock_guard<std::mutex> guard(state.lock);
        const auto found = state.listings.find(key);
        if (found != state.listings.end()) {
            if (SameTime(found->second->modified, before.st_mtim)) {
                // Only settled listings are kept here, so only they are trusted for a while.
                if (state.checked.size() >= kMaxFolders) state.checked.clear();
                state.checked[path] = Checked{found->second, now};
                return Lookup(*found->second, name);
            }
            state.listings.erase(found);
        }
    }

    std::shared_ptr<Listing> listing = ReadListing(path, state.reads);
    if (!listing) return std::nullopt;
    listing->modified = before.st_mtim;
    struct stat after{};
    // Kept only when nothing changed while it was read and the folder's time can be trusted.
    if (stat(path.c_str(), &after) == 0 && after.st_dev == before.st_dev && after.st_ino == before.st_ino &&
        SameTime(after.st_mtim, before.st_mtim) && Settled(before.st_mtim)) {
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.listings.size() >= kMaxFolders) state.listings.clear();
        state.listings[key] = listing;
        if (state.checked.size() >= kMaxFolders) state.checked.clear();
        state.checked[path] = Checked{listing, now};
    }
    return Lookup(*listing, name);
}

void FolderListingCache::ForgetPath(const std::string& path)
{
    if (path.empty()) return;
    std::string parent = ".";
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const std::size_t slash = trimmed.find_last_of('/');
    if (slash != std::string::npos) parent = slash == 0 ? "/" : trimmed.substr(0, slash);
    CacheState& state = State();
    {
        // Which names reach the folder is not known here: every recent check is dropped.
        std::lock_guard<std::mutex> guard(state.lock);
        state.checked.clear();
    }
    for (const std::string* folder : {&parent, &trimmed}) {
        struct stat info{};
        if (stat(folder->c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) continue;
        std::lock_guard<std::mutex> guard(state.lock);
        state.listings.erase(FolderKey{info.st_dev, info.st_ino});
    }
}

void FolderListingCache::ForgetRelativeFolders()
{
    CacheState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.checked.clear();
}

void FolderListingCache::Clear()
{
    CacheState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.listings.clear();
    state.checked.clear();
}

std::uint64_t FolderListingCache::ReadCount() const
{
    return State().reads.load(std::memory_order_relaxed);
}

std::string FoldCase(const std::string& name)
{
    std::string folded = name;
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(folded[i]);
        if (c >= 'A' && c <= 'Z') {
            folded[i] = static_cast<char>(c - 'A' + 'a');
        } else if (c == 0xEF && i + 2 < folded.size() && static_cast<unsigned char>(folded[i + 1]) == 0xBC) {
            const unsigned char last = static_cast<unsigned char>(folded[i + 2]);
            if (last >= 0xA1 && last <= 0xBA) {
                folded[i + 1] = static_cast<char>(0xBD);
                folded[i + 2] = static_cast<char>(last - 0xA1 + 0x81);
            }
            i += 2;
        }
    }
    return folded;
}

}  // namespace platform
