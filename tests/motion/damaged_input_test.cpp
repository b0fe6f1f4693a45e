// [ImageSet][MotionProject] damaged files: cut at every point, absurd list counts, strata cut
// in the middle or nested beyond any real tree. Each gives defaults or a failure with the
// reader's lines, never a crash or an allocation the data cannot back.
#include "motion_fixture.h"

#include "foundation/content.h"
#include "motion/crammed_image_set.h"
#include "motion/nc_project.h"
#include "motion/nc_project_ex.h"
#include "tests/support/image_set_builder.h"
#include "tests/support/motion_project_builder.h"

namespace motion_test {
namespace {

TestImageSetSpec TwoOriginSet()
{
    TestImageSetSpec spec = OnePatternImageSet(u"a.png", u"eye.png", 16, 8);
    TestGisPattern plain;
    plain.crammedRawUV.reset();
    spec.origins.push_back(TestGisOrigin{u"mouth.png", std::nullopt, 4, 4, 0, {plain, plain}});
    return spec;
}

TestNcProjectSpec TreeProject()
{
    TestNcProjectSpec spec;
    TestNcMotion motion;
    motion.motionName = u"wait";
    GxNcLayer layer = ImageLayer(u"A", u"s.gis", u"x.png");
    layer.m_PositionKeys = {GxNcVector4Key{}};
    layer.m_VertexOffsetKeys = {GxNcVertexKey{}};
    motion.layers = {layer, ImageLayer(u"B", u"", u"")};
    motion.soundKeys = {GxNcSoundKey{}};
    motion.eventKeys[3] = {GxNcEventKey{}};
    motion.tree = {TestNcStratum{u"A", 0, {TestNcStratum{u"B", 1, {}}}}, TestNcStratum{u"B", 1, {}}};
    spec.groups = {TestNcMotionGroup{u"G", u"", 0, {motion, motion}}};
    spec.stageCount = 1;
    spec.imageSetFileNames = {u"s.gis"};
    return spec;
}

// Big-endian 4,000,000,000 over the count of the binary list begin at `at`.
std::string WithHugeCount(std::string bytes, std::size_t at)
{
    const char huge[4] = {'\xEE', '\x6B', '\x28', '\x00'};
    bytes.replace(at + 1, 4, huge, 4);
    return bytes;
}

// Offsets of every binary list begin (type byte 0x20; no other value of these files stores that
// byte at a type position, and the few payload bytes that equal it only add harmless cases).
std::vector<std::size_t> ListBegins(const std::string& bytes)
{
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i + 5 <= bytes.size(); ++i) {
        if (bytes[i] == '\x20')
            at.push_back(i);
    }
    return at;
}

// A binary header: a 16-byte name field and the version.
constexpr std::size_t kBinaryHeaderBytes = 20;

using DamagedInputTest = MotionTest;

TEST_F(DamagedInputTest, AnImageSetCutAnywhereLoadsWhatItHolds)
{
    for (const TestContentForm form : {TestContentForm::kText, TestContentForm::kBinary}) {
        const std::string whole = BuildImageSet(TwoOriginSet(), form);
        const std::size_t headerEnd = form == TestContentForm::kText ? whole.find('\n') + 1 : kBinaryHeaderBytes;
        for (std::size_t cut = 0; cut < whole.size(); ++cut) {
            if (form == TestContentForm::kText && cut > 0 && whole[cut - 1] != '\n')
                continue;   // text files are cut between lines
            m_Log.Clear();
            GxNcCrammedImageSet* set =
                GetCrammedImageSetFactory().GetCrammedImageSetFromBuffer(u"cut.gis", *MakeBuffer(whole.substr(0, cut)), false);
            if (cut < headerEnd) {
                EXPECT_EQ(set, nullptr) << cut;
                GetCrammedImageSetFactory().ReleaseAllCrammedImageSets();
                continue;
            }
            ASSERT_NE(set, nullptr) << cut;
            EXPECT_FALSE(m_Log.errors.empty()) << "the reader reports the cut at " << cut;
            EXPECT_LE(set->m_OriginImageArray.size(), 2u);
            for (const GxNcOriginImage& origin : set->m_OriginImageArray)
                EXPECT_LE(origin.m_PatternArray.size(), 2u);
            GetCrammedImageSetFactory().ReleaseCrammedImageSet(set);
        }
    }
    EXPECT_EQ(GetCrammedImageSetFactory().GetCount(), 0);
}

TEST_F(DamagedInputTest, AnImageSetListCountBeyondTheDataReadsAsAnEmptyList)
{
    const std::string whole = BuildImageSet(TwoOriginSet(), TestContentForm::kBinary);
    const std::vector<std::size_t> lists = ListBegins(whole);
    ASSERT_GE(lists.size(), 4u);   // atlases, origins, and the two pattern lists
    for (std::size_t list = 0; list < 4; ++list) {
        m_Log.Clear();
        GxNcCrammedImageSet* set = GetCrammedImageSetFactory().GetCrammedImageSetFromBuffer(
            u"huge.gis", *MakeBuffer(WithHugeCount(whole, lists[list])), false);
        ASSERT_NE(set, nullptr);
        EXPECT_EQ(m_Log.Errors("ListCount Overrun"), 1) << list;
        if (list == 0) {
            EXPECT_TRUE(set->m_CrammedImageArray.empty());
        } else if (list == 1) {
            EXPECT_TRUE(set->m_OriginImageArray.empty());
        }
        GetCrammedImageSetFactory().ReleaseCrammedImageSet(set);
    }
}

TEST_F(DamagedInputTest, AProjectCutAnywhereKeepsDefaultsBeyondTheCut)
{
    for (const TestContentForm form : {TestContentForm::kText, TestContentForm::kBinary}) {
        const std::string whole = BuildMotionProject(TreeProject(), form);
        const std::size_t headerEnd = form == TestContentForm::kText ? whole.find('\n') + 1 : kBinaryHeaderBytes;
        for (std::size_t cut = 0; cut < whole.size(); ++cut) {
            if (form == TestContentForm::kText && cut > 0 && whole[cut - 1] != '\n')
                continue;
            m_Log.Clear();
            GxNcProject project;
            std::vector<std::u16string> names;
            const bool loaded = project.LoadFromBuffer(*MakeBuffer(whole.substr(0, cut)), names);
            EXPECT_EQ(loaded, cut >= headerEnd) << cut;
            EXPECT_FALSE(m_Log.errors.empty()) << cut;
            EXPECT_LE(project.m_MotionGroupList.size(), 1u);
            EXPECT_LE(names.size(), 1u);
        }
    }
}

TEST_F(DamagedInputTest, ProjectListCountsBeyondTheDataReadAsEmptyLists)
{
    const std::string whole = BuildMotionProject(TreeProject(), TestContentForm::kBinary);
    const std::vector<std::size_t> lists = ListBegins(whole);
    ASSERT_GE(lists.size(), 5u);
    // Every list begin in turn: groups, motions, layers, every track, stages, image-set names.
    for (const std::size_t at : lists) {
        m_Log.Clear();
        GxNcProject project;
        std::vector<std::u16string> names;
        EXPECT_TRUE(project.LoadFromBuffer(*MakeBuffer(WithHugeCount(whole, at)), names));
        EXPECT_EQ(m_Log.Errors("ListCount Overrun"), 1) << at;
        EXPECT_LE(project.m_StageList.size(), 1u);
    }
}

TEST_F(DamagedInputTest, ADamagedProjectLogsItsFirstFailuresAndCountsTheRest)
{
    // Every list count raised to what the bytes after it could just hold: the reader runs past
    // the real data and fails field after field, thousands of times for a track's keys.
    const std::string whole = BuildMotionProject(TreeProject(), TestContentForm::kBinary);
    std::size_t mostFailures = 0;
    for (const std::size_t at : ListBegins(whole)) {
        std::string bytes = whole;
        const std::uint32_t count = static_cast<std::uint32_t>(whole.size() - at - 5);
        const char big[4] = {static_cast<char>(count >> 24), static_cast<char>(count >> 16),
                             static_cast<char>(count >> 8), static_cast<char>(count)};
        bytes.replace(at + 1, 4, big, 4);
        m_Log.Clear();
        GxNcProject project;
        std::vector<std::u16string> names;
        project.LoadFromBuffer(*MakeBuffer(bytes), names);
        const std::size_t lines = m_Log.errors.size();
        mostFailures = std::max(mostFailures, lines);
        EXPECT_LE(lines, static_cast<std::size_t>(GxContentReaderBase::kLoggedFailureLimit + 1)) << at;
        if (lines > static_cast<std::size_t>(GxContentReaderBase::kLoggedFailureLimit)) {
            EXPECT_EQ(m_Log.Errors("more read errors not logged"), 1) << at;
            EXPECT_NE(m_Log.errors.back().find("more read errors not logged"), std::string::npos) << at;
        }
    }
    // The fixture does reach the limit, so the count line was seen.
    EXPECT_EQ(mostFailures, static_cast<std::size_t>(GxContentReaderBase::kLoggedFailureLimit + 1));
}

TEST_F(DamagedInputTest, AStratumCutInTheMiddleOrNestedDeepDoesNoHarm)
{
    std::string text = BuildMotionProject(TreeProject(), TestContentForm::kText);
    const std::size_t index = text.find("05\tm_LayerIndex");
    ASSERT_NE(index, std::string::npos);
    {
        GxNcProject project;
        std::vector<std::u16string> names;
        EXPECT_TRUE(project.LoadFromBuffer(*MakeBuffer(text.substr(0, index)), names));
        const GxNcMotion& motion = *project.m_MotionGroupList.at(0)->m_MotionList.at(0);
        const auto* node = static_cast<const GxNcLayerNode*>(motion.m_LayerTree.GetRoot());
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->m_LayerName, u"A");
        EXPECT_EQ(node->m_LayerIndex, 0);   // still bound
        EXPECT_EQ(project.m_MotionGroupList[0]->m_MotionList.size(), 2u);
    }
    // Strata nested far deeper than any real tree; the reader and the binding use no recursion.
    std::string deep = text.substr(0, text.find("24\t{"));
    constexpr int kDepth = 20000;
    for (int i = 0; i < kDepth; ++i)
        deep += "24\t{\n1a\tm_LayerName\t1\t\"B\"\n05\tm_LayerIndex\t0\n";
    for (int i = 0; i < kDepth; ++i)
        deep += "25\t}\n";
    deep += "23\t}\n";
    m_Log.Clear();
    GxNcProject project;
    std::vector<std::u16string> names;
    EXPECT_TRUE(project.LoadFromBuffer(*MakeBuffer(deep), names));
    const GxNcMotion& motion = *project.m_MotionGroupList.at(0)->m_MotionList.at(0);
    int depth = 0;
    for (const GxSimpleNode* node = motion.m_LayerTree.GetRoot(); node != nullptr; node = node->m_FirstChild) {
        EXPECT_EQ(static_cast<const GxNcLayerNode*>(node)->m_LayerIndex, 1);
        ++depth;
    }
    EXPECT_EQ(depth, kDepth);
    EXPECT_TRUE(m_Log.Errors("LayerNotFound") == 0);
}

TEST_F(DamagedInputTest, AProjectFromADamagedFileStillReleasesCleanly)
{
    const std::string whole = BuildMotionProject(TreeProject(), TestContentForm::kBinary);
    ASSERT_TRUE(WriteImageSetFile(Path("gis/s.gis").string(), OnePatternImageSet(u"a.png", u"x.png", 4, 4),
                                  TestContentForm::kBinary));
    for (std::size_t cut = kBinaryHeaderBytes; cut <= whole.size(); cut += 7) {
        auto project = std::make_unique<GxNcProjectEx>();
        project->LoadFromBuffer(u"cut.gnc", u"gis", *MakeBuffer(whole.substr(0, cut)), false);
        project->ReleaseAll();
        EXPECT_EQ(GetCrammedImageSetFactory().GetCount(), 0) << cut;
    }
}

}  // namespace
}  // namespace motion_test
