#include "core/shared_asset_manage.h"

#include "foundation/log.h"

#include <utility>

const char16_t* const kSharedScopeSystemNames[11] = {
    u"SeqBoot", u"SeqTitle",      u"SeqOpening", u"SeqConfig",   u"SeqSave",  u"SeqLoad",
    u"SeqCGMode", u"SeqCGModeView", u"SeqRPMode",  u"SeqBGMMode", u"SeqDebug",
};

const char16_t* const kSharedScopeAvgNames[6] = {
    u"SeqConfig", u"SeqSave", u"SeqLoad", u"SeqAvgMain", u"SeqAvgLog", u"SeqDebug",
};

namespace {

bool IsTableNumber(std::int32_t table)
{
    return table >= 0 && table < GxSharedScope::kTableCount;
}

}  // namespace

GxSharedScope::GxSharedScope(GxAsyncJobManage* jobs) : m_Jobs(jobs) {}

GxSharedScope::~GxSharedScope()
{
    Release();
}

void GxSharedScope::Release()
{
    for (auto& table : m_Tables) {
        // Delete in name order; an asset's destructor must not find itself half-removed, so
        // each entry is cleared before the map is emptied.
        for (auto& entry : table) entry.second.reset();
        table.clear();
    }
}

void GxSharedScope::AddSequenceName(const char16_t* name)
{
    if (name == nullptr || name[0] == u'\0') {
        LogPrint(u"GxSharedScope::AddSequenceName/空のシーケンス名は登録できません\n");
        return;
    }
    m_SequenceNames.insert(name);
}

bool GxSharedScope::HasSequenceName(const std::u16string& name) const
{
    return m_SequenceNames.count(name) != 0;
}

bool GxSharedScope::AddAsset(std::int32_t table, const std::u16string& name, std::unique_ptr<GxSharedAsset> asset)
{
    if (!IsTableNumber(table) || table >= kFirstStepTable) {
        LogPrint(u"GxSharedScope::AddAsset/テーブル番号が不正です (%d,%s)\n", table, name.c_str());
        return false;
    }
    if (!asset) {
        LogPrint(u"GxSharedScope::AddAsset/アセットがありません (%d,%s)\n", table, name.c_str());
        return false;
    }
    m_Tables[table][name] = std::move(asset);
    return true;
}

bool GxSharedScope::AddStepAsset(std::int32_t table, const std::u16string& name,
                                 std::unique_ptr<GxSharedStepAsset> asset)
{
    if (!IsTableNumber(table) || table < kFirstStepTable) {
        LogPrint(u"GxSharedScope::AddStepAsset/テーブル番号が不正です (%d,%s)\n", table, name.c_str());
        return false;
    }
    if (!asset) {
        LogPrint(u"GxSharedScope::AddStepAsset/アセットがありません (%d,%s)\n", table, name.c_str());
        return false;
    }
    m_Tables[table][name] = std::move(asset);
    return true;
}

GxSharedAsset* GxSharedScope::FindAsset(std::int32_t table, const std::u16string& name) const
{
    if (!IsTableNumber(table)) return nullptr;
    auto found = m_Tables[table].find(name);
    return found == m_Tables[table].end() ? nullptr : found->second.get();
}

std::size_t GxSharedScope::GetAssetCount(std::int32_t table) const
{
    return IsTableNumber(table) ? m_Tables[table].size() : 0;
}

void GxSharedScope::UpdateAssets()
{
    for (std::int32_t table = kFirstStepTable; table < kTableCount; ++table) {
        for (auto& entry : m_Tables[table]) {
            // Only AddStepAsset fills these tables.
            if (entry.second) static_cast<GxSharedStepAsset*>(entry.second.get())->Step();
        }
    }
}

GxSharedAssetManage::GxSharedAssetManage() : m_Scopes(kInitialScopeCount) {}

GxSharedAssetManage::~GxSharedAssetManage()
{
    m_Jobs.AsyncShutdown();
    for (auto& scope : m_Scopes) scope.reset();
    m_Scopes.clear();
}

GxSharedScope* GxSharedAssetManage::CreateScope(std::int32_t number)
{
    if (number < 0) {
        LogPrint(u"GxSharedAssetManage::CreateScope/スコープ番号が不正です (%d)\n", number);
        return nullptr;
    }
    const std::size_t index = static_cast<std::size_t>(number);
    if (m_Scopes.size() <= index) m_Scopes.resize(index + 1);
    m_Scopes[index].reset();   // the old scope releases itself before the new one exists
    m_Scopes[index] = std::make_unique<GxSharedScope>(&m_Jobs);
    return m_Scopes[index].get();
}

GxSharedScope* GxSharedAssetManage::GetScope(std::int32_t number) const
{
    if (number < 0 || static_cast<std::size_t>(number) >= m_Scopes.size()) return nullptr;
    return m_Scopes[static_cast<std::size_t>(number)].get();
}

void GxSharedAssetManage::CancelAndWaitJobs()
{
    m_Jobs.CancelPendingJobs();
    m_Jobs.AsyncWaitAll();
}

void GxSharedAssetManage::OnSequenceChange(const std::u16string& name)
{
    CancelAndWaitJobs();
    if (m_Scopes.size() < 2) return;
    for (std::size_t number = 1; number < m_Scopes.size(); ++number) {
        GxSharedScope* scope = m_Scopes[number].get();
        if (scope != nullptr && !scope->HasSequenceName(name)) scope->Release();
    }
}

void GxSharedAssetManage::OnSequenceChange(const char16_t* name)
{
    OnSequenceChange(name != nullptr ? std::u16string(name) : std::u16string());
}

void GxSharedAssetManage::UpdateScopes()
{
    for (auto& scope : m_Scopes) {
        if (scope) scope->UpdateAssets();
    }
}

void GxSharedAssetManage::ReleaseAll()
{
    CancelAndWaitJobs();
    for (auto& scope : m_Scopes) {
        if (scope) scope->Release();
    }
}

void CreateStartupSharedScopes(GxSharedAssetManage& manage)
{
    manage.GetJobManage().CreateThread(2, false);
    manage.CreateScope(0);
    manage.CreateScope(1);
    GxSharedScope* system = manage.CreateScope(2);
    for (const char16_t* name : kSharedScopeSystemNames) system->AddSequenceName(name);
}

void CreateAvgSharedScope(GxSharedAssetManage& manage)
{
    GxSharedScope* avg = manage.CreateScope(3);
    for (const char16_t* name : kSharedScopeAvgNames) avg->AddSequenceName(name);
}
