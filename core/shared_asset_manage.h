// Shared asset scopes: numbered scopes, each naming the sequences (screens) that share what it
// holds. A change of the main screen (worker slot 0) releases every scope numbered 1 or more that
// does not name the entering screen; scope 0 is released only by ReleaseAll. The manager also
// owns the loader threads' job pool, which is cancelled and waited out before any release.
// Window thread only; the loader threads touch nothing here but the pool's own queue.
#pragma once

#include "foundation/async_job.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

// One asset held by a scope. Deleting it frees whatever it loaded.
class GxSharedAsset {
public:
    GxSharedAsset() = default;
    virtual ~GxSharedAsset() = default;

    GxSharedAsset(const GxSharedAsset&) = delete;
    GxSharedAsset& operator=(const GxSharedAsset&) = delete;
};

// The assets of the fourth and fifth tables are stepped once per logic pass.
class GxSharedStepAsset : public GxSharedAsset {
public:
    virtual void Step() = 0;
};

class GxSharedScope {
public:
    // Tables 0 to 2 hold plain assets, tables 3 and 4 assets with a per-frame step.
    static constexpr std::int32_t kTableCount = 5;
    static constexpr std::int32_t kFirstStepTable = 3;

    explicit GxSharedScope(GxAsyncJobManage* jobs);
    // Releases the scope first.
    virtual ~GxSharedScope();
    // Deletes every asset of the five tables and empties them; the sequence names stay.
    virtual void Release();

    GxSharedScope(const GxSharedScope&) = delete;
    GxSharedScope& operator=(const GxSharedScope&) = delete;

    // A name already present is not added twice; a null or empty name is refused with a log line.
    void AddSequenceName(const char16_t* name);
    // Exact comparison, code unit by code unit.
    bool HasSequenceName(const std::u16string& name) const;
    const std::set<std::u16string>& GetSequenceNames() const { return m_SequenceNames; }

    // Puts an asset under a name into table 0 to 2 (AddAsset) or 3 to 4 (AddStepAsset); an asset
    // already under that name is deleted and replaced. A bad table number or a null asset gives a
    // log line and false (the asset passed in is then deleted).
    bool AddAsset(std::int32_t table, const std::u16string& name, std::unique_ptr<GxSharedAsset> asset);
    bool AddStepAsset(std::int32_t table, const std::u16string& name, std::unique_ptr<GxSharedStepAsset> asset);
    // Null when absent or for a bad table number.
    GxSharedAsset* FindAsset(std::int32_t table, const std::u16string& name) const;
    // Entries of one table; 0 for a bad table number.
    std::size_t GetAssetCount(std::int32_t table) const;

    // The per-frame step of every asset of tables 3 and 4, each in name order.
    void UpdateAssets();

    GxAsyncJobManage* GetJobManage() const { return m_Jobs; }

private:
    GxAsyncJobManage* m_Jobs = nullptr;   // not owned
    std::set<std::u16string> m_SequenceNames;
    std::map<std::u16string, std::unique_ptr<GxSharedAsset>> m_Tables[kTableCount];
};

class GxSharedAssetManage {
public:
    // A new manager has five empty scope numbers (0 to 4) and no loader thread.
    static constexpr std::int32_t kInitialScopeCount = 5;

    GxSharedAssetManage();
    // Shuts the job pool down, then deletes every scope.
    virtual ~GxSharedAssetManage();

    GxSharedAssetManage(const GxSharedAssetManage&) = delete;
    GxSharedAssetManage& operator=(const GxSharedAssetManage&) = delete;

    // Makes scope `number`, growing the table as needed and deleting (so releasing) any scope of
    // that number. A negative number is refused with a log line and gives null.
    GxSharedScope* CreateScope(std::int32_t number);
    // Null for an empty or out-of-range number.
    GxSharedScope* GetScope(std::int32_t number) const;
    std::int32_t GetScopeCount() const { return static_cast<std::int32_t>(m_Scopes.size()); }

    // Worker slot 0 only, after the leaving screen's leave walk: cancels and waits out the queued
    // jobs, then releases every scope from number 1 on whose names lack `name`.
    void OnSequenceChange(const std::u16string& name);
    void OnSequenceChange(const char16_t* name);
    // Once per logic pass: steps the assets of every scope, in number order.
    void UpdateScopes();
    // Game reset and shut-down: cancels and waits out the jobs, then releases every scope,
    // number 0 included. Scopes and their names stay.
    void ReleaseAll();

    GxAsyncJobManage& GetJobManage() { return m_Jobs; }

private:
    void CancelAndWaitJobs();

    GxAsyncJobManage m_Jobs;
    std::vector<std::unique_ptr<GxSharedScope>> m_Scopes;
};

// The engine's scopes as game start-up makes them.
// Scope 2: the title, configuration, save and load screens and the galleries.
extern const char16_t* const kSharedScopeSystemNames[11];
// Scope 3: the play screen and the screens opened from it; made by the adventure module.
extern const char16_t* const kSharedScopeAvgNames[6];

// Starts the two loader threads, then creates scopes 0, 1 and 2 and names scope 2's screens.
void CreateStartupSharedScopes(GxSharedAssetManage& manage);
// Creates scope 3 with the play screen's names.
void CreateAvgSharedScope(GxSharedAssetManage& manage);
