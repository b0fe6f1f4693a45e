// The persistent flags: bit vectors by key, pictures and replays from the tables, and
// "permanent.dat" written whole or not at all, read back in either form, and refused or cut
// short without crashing or allocating by a damaged count.
#include "save_fixture.h"

#include "data/data_tables.h"
#include "data/saved_script.h"
#include "data/user_data_perman.h"
#include "script/moa.h"
#include "script/worker.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <csignal>

namespace data_test {
namespace {

class PermanTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        ResetDataTables();
    }
    void TearDown() override
    {
        ResetDataTables();
        SetSavedDataScript(nullptr, nullptr);
        DataTest::TearDown();
    }
    std::u16string FilePath() const { return Utf8ToWide((m_Temp.Path() / "permanent.dat").string()); }
    // A picture row: ID, Group, Thumbnail, 32 names (the given ones first), Count.
    static std::vector<std::u16string> CGRow(const std::u16string& id, std::vector<std::u16string> names,
                                             const std::u16string& count)
    {
        std::vector<std::u16string> row = {id, u"0", u""};
        names.resize(32);
        row.insert(row.end(), names.begin(), names.end());
        row.push_back(count);
        return row;
    }
    void LoadPictures(const TestTableBuilder& table) { ASSERT_TRUE(GetDBCGMode().LoadTable(WriteTable("cg.txt", table))); }

    // A sample with every container filled, a key that sorts before another only by case, and an
    // entry with no words.
    static void Fill(GxUserDataPerman& p)
    {
        p.SetPermanentFlag(u"main", 0);
        p.SetPermanentFlag(u"main", 40);
        p.SetPermanentFlag(u"Main", 3);
        p.m_ReadedMessageFlags[u"empty"];
        p.SetMenuSelected(u"sel#1", 2);
        p.m_PassedReplayLabels = {u"*rp_b", u"*rp_a"};
        p.SetCGShown(u"cg/ev/ev01a.png");
        p.m_ShowedCGFlags[u"ev02"] = 7;
        p.m_ExtraOption = 0x80000400u;
    }
    static void ExpectSample(const GxUserDataPerman& p)
    {
        EXPECT_EQ(p.m_ReadedMessageFlags.size(), 3u);
        EXPECT_EQ(p.m_ReadedMessageFlags.at(u"main"), (GxFlagBits{1u, 1u << 8}));
        EXPECT_EQ(p.m_ReadedMessageFlags.at(u"Main"), (GxFlagBits{8u}));
        EXPECT_TRUE(p.m_ReadedMessageFlags.at(u"empty").empty());
        EXPECT_EQ(p.m_SelectedMenuFlags.size(), 1u);
        EXPECT_TRUE(p.IsMenuSelected(u"sel#1", 2));
        EXPECT_EQ(p.m_PassedReplayLabels, (std::set<std::u16string>{u"*rp_a", u"*rp_b"}));
        EXPECT_EQ(p.m_ShowedCGFlags, (std::map<std::u16string, std::int32_t>{{u"ev01a", 1}, {u"ev02", 7}}));
        EXPECT_EQ(p.m_ExtraOption, 0x80000400u);
    }
};

TEST_F(PermanTest, BitVectorsGrowByWordAndCompareKeysExactly)
{
    GxUserDataPerman p;
    p.SetPermanentFlag(u"a", 0);
    EXPECT_EQ(p.m_ReadedMessageFlags.at(u"a"), GxFlagBits{1u});
    p.SetPermanentFlag(u"a", 33);
    EXPECT_EQ(p.m_ReadedMessageFlags.at(u"a"), (GxFlagBits{1u, 2u}));
    EXPECT_TRUE(p.IsMessageRead(u"a", 0));
    EXPECT_TRUE(p.IsMessageRead(u"a", 33));
    EXPECT_FALSE(p.IsMessageRead(u"a", 32));
    EXPECT_FALSE(p.IsMessageRead(u"a", 64));   // no third word
    EXPECT_FALSE(p.IsMessageRead(u"b", 0));
    EXPECT_FALSE(p.IsMessageRead(u"A", 0));
    EXPECT_EQ(p.m_ReadedMessageFlags.size(), 1u);   // asking adds nothing

    p.SetMenuSelected(u"menu", 0);
    p.SetMenuSelected(u"menu", 33);
    EXPECT_EQ(p.m_SelectedMenuFlags.at(u"menu"), (GxFlagBits{1u, 2u}));
    EXPECT_TRUE(p.IsMenuSelected(u"menu", 33));
    EXPECT_FALSE(p.IsMenuSelected(u"menu", 64));
    EXPECT_FALSE(p.IsMenuSelected(u"Menu", 0));
    EXPECT_FALSE(p.IsMessageRead(u"menu", 0));   // the two maps are apart

    GxFlagBits bits;
    SetFlagBit(bits, -1);
    EXPECT_TRUE(bits.empty());
    EXPECT_FALSE(TestFlagBit(GxFlagBits{0xFFFFFFFFu}, -1));
    SetFlagBit(bits, 31);
    EXPECT_EQ(bits, GxFlagBits{0x80000000u});

    // Reading never grows the vector; setting a bit past it adds zero words up to it.
    GxFlagBits empty;
    for (std::int32_t n : {0, 1, 31, 32, 40, 1000})
        EXPECT_FALSE(TestFlagBit(empty, n)) << n;
    EXPECT_TRUE(empty.empty());
    SetFlagBit(empty, 40);
    EXPECT_EQ(empty, (GxFlagBits{0u, 1u << 8}));
    EXPECT_TRUE(TestFlagBit(empty, 40));
    EXPECT_FALSE(TestFlagBit(empty, 8));
}

TEST_F(PermanTest, PicturesAndReplaysComeFromTheTables)
{
    GxUserDataPerman p;
    p.SetCGShown(u"cg/ev/ev01a.png");
    p.SetCGShown(u"ev01.a.png");
    p.m_ShowedCGFlags[u"ev01a"] = 5;
    p.SetCGShown(u"ev01a");   // present: keeps its value
    EXPECT_EQ(p.m_ShowedCGFlags, (std::map<std::u16string, std::int32_t>{{u"ev01", 1}, {u"ev01a", 5}}));

    ASSERT_TRUE(GetDBRPMode().LoadTable(WriteTable("rp.txt", TestTableBuilder()
                                                                 .Row({u"1", u"0", u"", u"*rp1", u""})
                                                                 .Row({u"2", u"0", u"", u"", u"no label"})
                                                                 .Row({u"199", u"0", u"", u"*rp199", u""}))));
    p.m_PassedReplayLabels = {u"*old"};
    p.SetAllReplayLabelsPassed();
    EXPECT_EQ(p.m_PassedReplayLabels, (std::set<std::u16string>{u"*rp1", u"*rp199"}));

    LoadPictures(TestTableBuilder()
                     .Row(CGRow(u"1", {u"Ev10", u"", u"ev11"}, u"2"))
                     .Row(CGRow(u"2", {u"ev20", u"ev21"}, u"0"))
                     .Row(CGRow(u"199", {u"ev99"}, u"1")));
    GxUserDataPerman group;
    EXPECT_FALSE(group.SetCGGroupShown(u"cg/ev21.png"));   // its row's Count is 0
    EXPECT_FALSE(group.SetCGGroupShown(u"ev30.png"));      // no row lists it
    EXPECT_TRUE(group.m_ShowedCGFlags.empty());
    EXPECT_TRUE(group.SetCGGroupShown(u"cg/EV11.png"));    // A-Z ignore case; stored as the table holds them
    EXPECT_EQ(group.m_ShowedCGFlags, (std::map<std::u16string, std::int32_t>{{u"Ev10", 1}, {u"ev11", 1}}));

    group.m_ShowedCGFlags[u"stale"] = 1;
    group.SetAllCGShown();
    EXPECT_EQ(group.m_ShowedCGFlags, (std::map<std::u16string, std::int32_t>{
                                         {u"Ev10", 1}, {u"ev11", 1}, {u"ev20", 1}, {u"ev21", 1}, {u"ev99", 1}}));
}

TEST_F(PermanTest, SavedFileIsPinnedAndRoundTripsInBothForms)
{
    GxUserDataPerman saved;
    Fill(saved);
    ASSERT_TRUE(SavePermanentData(&saved, FilePath(), false));
    const std::string text = ReadAll(m_Temp.Path() / "permanent.dat");
    EXPECT_EQ(text.substr(0, 8), "TPD\t100\n");
    const std::vector<std::string> lines = ValueLines(text);
    const std::vector<std::string> own = {
        "06\tm_ReadedMessageFlags\t3",
        "1a\tKey\t4\t\"Main\"", "06\tFlags\t1", "06\tValue\t8",
        "1a\tKey\t5\t\"empty\"", "06\tFlags\t0",
        "1a\tKey\t4\t\"main\"", "06\tFlags\t2", "06\tValue\t1", "06\tValue\t256",
        "06\tm_SelectedMenuFlags\t1", "1a\tKey\t5\t\"sel#1\"", "06\tFlags\t1", "06\tValue\t4",
        "06\tm_PassedReplayLabels\t2", "1a\tKey\t5\t\"*rp_a\"", "1a\tKey\t5\t\"*rp_b\"",
        "06\tm_ShowedCGFlags\t2", "1a\tKey\t5\t\"ev01a\"", "05\tValue\t1", "1a\tKey\t4\t\"ev02\"", "05\tValue\t7",
        "15\tm_ExtraOption\t2147484672",
    };
    ASSERT_GE(lines.size(), own.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(own.size())), own);

    for (bool binary : {false, true}) {
        SCOPED_TRACE(binary ? "binary" : "text");
        ASSERT_TRUE(SavePermanentData(&saved, FilePath(), binary));
        EXPECT_EQ(ReadAll(m_Temp.Path() / "permanent.dat").substr(0, 3), binary ? "BPD" : "TPD");
        EXPECT_FALSE(std::filesystem::exists(m_Temp.Path() / "permanent.dat.tmp"));
        GxUserDataPerman loaded;
        loaded.SetPermanentFlag(u"gone", 1);   // emptied by the load
        ASSERT_TRUE(LoadPermanentData(&loaded, FilePath()));
        ExpectSample(loaded);
        EXPECT_FALSE(loaded.IsMessageRead(u"empty", 0));
    }
    EXPECT_TRUE(m_Log.errors.empty());
}

TEST_F(PermanTest, PersistentScriptVariablesTravelWithTheFlags)
{
    GxMoa moa;
    GxMoaWorker worker(&moa);
    GxMoaVariable value;
    value.SetInt64(42);
    moa.GetVariableTable().Entries().emplace_back(u"perman", 8, value);
    value.SetInt64(5);
    moa.GetVariableTable().Entries().emplace_back(u"ingame", 9, value);
    SetSavedDataScript(&moa, &worker);
    GxUserDataPerman saved;
    saved.m_ExtraOption = 3;
    ASSERT_TRUE(SavePermanentData(&saved, FilePath(), true));

    moa.GetVariableTable().Find(u"perman")->m_Value.SetInt64(0);
    moa.GetVariableTable().Find(u"ingame")->m_Value.SetInt64(6);
    GxUserDataPerman loaded;
    ASSERT_TRUE(LoadPermanentData(&loaded, FilePath()));
    EXPECT_EQ(loaded.m_ExtraOption, 3u);
    EXPECT_EQ(moa.GetVariableTable().Find(u"perman")->m_Value.ToInt(), 42);
    EXPECT_EQ(moa.GetVariableTable().Find(u"ingame")->m_Value.ToInt(), 6);   // not a persistent one

    // Without a registered engine the same file still reads whole.
    SetSavedDataScript(nullptr, nullptr);
    GxUserDataPerman again;
    EXPECT_TRUE(LoadPermanentData(&again, FilePath()));
}

TEST_F(PermanTest, RefusedAndDuplicatedFiles)
{
    GxUserDataPerman sample;
    Fill(sample);
    const auto refused = [&](const std::string& bytes) {
        m_Log.errors.clear();
        WriteBytes("permanent.dat", bytes);
        GxUserDataPerman p;
        Fill(p);
        const bool loaded = LoadPermanentData(&p, FilePath());
        ExpectSample(p);   // nothing was cleared
        return !loaded && m_Log.errors.size() == 1 && m_Log.Count("permanent.dat") == 1;
    };
    const std::string textWithBinaryName = WriteContent(Form::kText, "BPD", [&](GxContentWriterBase& w) { sample.WriteValues(w); });
    const std::string binaryWithTextName = WriteContent(Form::kBinary, "TPD", [&](GxContentWriterBase& w) { sample.WriteValues(w); });
    const std::string gameData = WriteContent(Form::kBinary, "BGD", [](GxContentWriterBase&) {});
    EXPECT_TRUE(refused(textWithBinaryName));
    EXPECT_TRUE(refused(binaryWithTextName));
    EXPECT_TRUE(refused(gameData));
    EXPECT_TRUE(refused(""));

    m_Log.errors.clear();
    std::filesystem::remove(m_Temp.Path() / "permanent.dat");
    GxUserDataPerman absent;
    EXPECT_FALSE(LoadPermanentData(&absent, FilePath()));
    EXPECT_TRUE(m_Log.errors.empty());   // a first start is no error

    // A key stored twice keeps its first value.
    for (Form form : {Form::kText, Form::kBinary}) {
        WriteBytes("permanent.dat", WriteContent(form, form == Form::kText ? "TPD" : "BPD", [](GxContentWriterBase& w) {
                       w.WriteU32("m_ReadedMessageFlags", 2);
                       w.WriteWString("Key", u"k");
                       w.WriteU32("Flags", 1);
                       w.WriteU32("Value", 1);
                       w.WriteWString("Key", u"k");
                       w.WriteU32("Flags", 1);
                       w.WriteU32("Value", 2);
                       w.WriteU32("m_SelectedMenuFlags", 0);
                       w.WriteU32("m_PassedReplayLabels", 0);
                       w.WriteU32("m_ShowedCGFlags", 2);
                       w.WriteWString("Key", u"cg");
                       w.WriteS32("Value", 1);
                       w.WriteWString("Key", u"cg");
                       w.WriteS32("Value", 9);
                       const GxBit32 extra{0};
                       w.WriteBit32("m_ExtraOption", &extra);
                       GxMoa moa;
                       GxMoaWorker worker(&moa);
                       moa.WriteVariables(w, 2);
                       worker.WriteScriptVariables(w, 2);
                   }));
        GxUserDataPerman p;
        EXPECT_TRUE(LoadPermanentData(&p, FilePath())) << FormName(form);
        EXPECT_EQ(p.m_ReadedMessageFlags.at(u"k"), GxFlagBits{1u});
        EXPECT_EQ(p.m_ShowedCGFlags.at(u"cg"), 1);
    }
}

TEST_F(PermanTest, DamagedCountsFailFastAndKeepWhatWasRead)
{
    struct Case {
        const char* name;
        std::function<void(GxContentWriterBase&)> body;
        std::size_t entries;   // read-line entries kept
    };
    const std::vector<Case> cases = {
        {"huge entry count", [](GxContentWriterBase& w) { w.WriteU32("m_ReadedMessageFlags", 0xFFFFFFFFu); }, 0},
        {"huge word count",
         [](GxContentWriterBase& w) {
             w.WriteU32("m_ReadedMessageFlags", 2);
             w.WriteWString("Key", u"a");
             w.WriteU32("Flags", 1);
             w.WriteU32("Value", 5);
             w.WriteWString("Key", u"b");
             w.WriteU32("Flags", 0x40000000u);
             w.WriteU32("Value", 5);
         },
         1},
        {"entries cut short",
         [](GxContentWriterBase& w) {
             w.WriteU32("m_ReadedMessageFlags", 3);
             w.WriteWString("Key", u"a");
             w.WriteU32("Flags", 1);
             w.WriteU32("Value", 5);
         },
         1},
        {"huge label count",
         [](GxContentWriterBase& w) {
             w.WriteU32("m_ReadedMessageFlags", 0);
             w.WriteU32("m_SelectedMenuFlags", 0);
             w.WriteU32("m_PassedReplayLabels", 0x7FFFFFFFu);
         },
         0},
    };
    for (Form form : {Form::kText, Form::kBinary}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(FormName(form)) + ": " + c.name);
            m_Log.errors.clear();
            WriteBytes("permanent.dat", WriteContent(form, form == Form::kText ? "TPD" : "BPD", c.body));
            GxUserDataPerman p;
            p.m_ExtraOption = 6;
            EXPECT_FALSE(LoadPermanentData(&p, FilePath()));
            EXPECT_EQ(p.m_ReadedMessageFlags.size(), c.entries);
            if (c.entries != 0) {
                EXPECT_EQ(p.m_ReadedMessageFlags.at(u"a"), GxFlagBits{5u});
            }
            EXPECT_EQ(p.m_ExtraOption, 6u);   // its read failed: the value stays
            EXPECT_EQ(m_Log.errors.size(), 1u);
            EXPECT_EQ(m_Log.Count("permanent.dat"), 1);
        }
    }
}

TEST_F(PermanTest, FailedSaveKeepsTheEarlierFile)
{
    GxUserDataPerman first;
    first.SetPermanentFlag(u"first", 1);
    ASSERT_TRUE(SavePermanentData(&first, FilePath(), true));
    const std::string before = ReadAll(m_Temp.Path() / "permanent.dat");

    // A child process whose files cannot grow past 64 bytes: the write fails for real.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64, 64};
        setrlimit(RLIMIT_FSIZE, &limit);
        m_Log.errors.clear();
        GxUserDataPerman second;
        for (int n = 0; n < 40; ++n)
            second.SetPermanentFlag(u"script" + Utf8ToWide(std::to_string(n)), n * 50);
        const bool saved = SavePermanentData(&second, FilePath(), true);
        _exit(saved ? 10 : m_Log.Count("permanent.dat") == 1 && m_Log.errors.size() == 1 ? 0 : 11);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);   // 10: reported success; 11: not one log line
    EXPECT_EQ(ReadAll(m_Temp.Path() / "permanent.dat"), before);
    EXPECT_FALSE(std::filesystem::exists(m_Temp.Path() / "permanent.dat.tmp"));

    // A folder that does not exist: false and one line.
    m_Log.errors.clear();
    EXPECT_FALSE(SavePermanentData(&first, Utf8ToWide((m_Temp.Path() / "missing" / "permanent.dat").string()), true));
    EXPECT_EQ(m_Log.errors.size(), 1u);
}

}  // namespace
}  // namespace data_test
