// [Data] the saved-data side of the data services, which the core reaches the game in progress
// and the persistent flags through: both made for the core and sized by its configuration, the
// dialog answer and the restore sequence, and the flags file loaded and saved.
#include "core/core.h"
#include "data/data_services.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "foundation/wide_string.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

TEST(SavedDataServices, TheGameDataIsMadeForTheCoreAndSizedByItsConfiguration)
{
    GxDataServices services;
    GxCore core;
    GxSystemConfig config;
    config.m_SelectCount = 5;
    config.m_MessageLogMax = 3;
    for (GxSystemConfig* configured : {static_cast<GxSystemConfig*>(nullptr), &config}) {
        SCOPED_TRACE(configured != nullptr);
        core.m_SystemConfig = configured;
        GxUserDataHolder data = services.CreateUserData(core);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(data->m_Core, &core);
        EXPECT_EQ(data->m_SelectMenuItemList.size(), configured != nullptr ? 6u : 11u);
        EXPECT_EQ(data->GetMessageLogCapacity(), configured != nullptr ? 3 : 100);

        services.SetLastDialogResult(*data, 1);
        EXPECT_EQ(data->m_LastDialogResult, 1);
        data->SetRestoreSequence(u"SeqAvgMain");
        const std::u16string restore = services.GetRestoreSequence(*data);
        data->SetRestoreSequence(u"SeqTitle");
        EXPECT_EQ(restore, u"SeqAvgMain");   // a copy
    }
    core.m_SystemConfig = nullptr;
}

TEST(SavedDataServices, TheFlagsFileGoesThroughTheServices)
{
    GxDataServices services;
    GxCore core;
    TestTempDir temp("tw_saved_services");
    const std::u16string path = Utf8ToWide((temp.Path() / "permanent.dat").string());
    GxUserDataPermanHolder flags = services.CreateUserDataPerman(core);
    ASSERT_NE(flags, nullptr);
    EXPECT_EQ(flags->m_Core, &core);
    EXPECT_FALSE(LoadPermanentData(flags.get(), path));   // a first start: no file

    flags->SetPermanentFlag(u"main", 3);
    flags->m_ExtraOption = 1u << 10;
    ASSERT_TRUE(services.SavePermanentData(*flags, path, true));
    GxUserDataPermanHolder loaded = services.CreateUserDataPerman(core);
    ASSERT_TRUE(LoadPermanentData(loaded.get(), path));
    EXPECT_TRUE(loaded->IsMessageRead(u"main", 3));
    EXPECT_EQ(loaded->m_ExtraOption, 1u << 10);
}

}  // namespace
