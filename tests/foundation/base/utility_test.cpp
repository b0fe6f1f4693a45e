#include "foundation/crc32.h"
#include "foundation/random.h"
#include "foundation/simple_tree.h"
#include "foundation/time_util.h"
#include "foundation/utility.h"
#include "platform/crt/crt_time.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

TEST(Random, UnseededDefaultFollowsTheReferenceSequence)
{
    GxRandomState& state = GxRandomDefaultState();
    state.seeded = 0;
    state.index = 0;
    EXPECT_EQ(GxRandomNext(), 3499211612u);
    std::mt19937 reference(5489u);
    reference();
    for (int i = 1; i < 2000; ++i) ASSERT_EQ(GxRandomNext(), reference()) << i;   // crosses a regeneration

    GxRandomState seeded;
    GxRandomSeed(12345u, &seeded);
    std::mt19937 other(12345u);
    for (int i = 0; i < 700; ++i) ASSERT_EQ(GxRandomNext(&seeded), other()) << i;
}

TEST(Random, OtherUnseededInstancesTakeConsecutiveSeeds)
{
    GxRandomState first;
    GxRandomState second;
    std::uint32_t a = GxRandomNext(&first);
    std::uint32_t b = GxRandomNext(&second);
    std::uint32_t seed = 5490;
    while (seed < 6000 && std::mt19937(seed)() != a) ++seed;
    ASSERT_LT(seed, 6000u) << "not seeded from the counter";
    EXPECT_EQ(std::mt19937(seed + 1)(), b);
}

TEST(Random, BelowCachesItsRangeAndConsumesOneOutputPerTry)
{
    GxRandomState state;
    GxRandomSeed(1u, &state);
    GxRandomBelow(3, &state);
    EXPECT_EQ(state.rangeBound, 0x60000000u);
    EXPECT_EQ(state.rangeShift, 29);
    GxRandomBelow(0x50000000, &state);
    EXPECT_EQ(state.rangeBound, 0x50000000u);   // recomputed for the new n, shift 0
    EXPECT_EQ(state.rangeShift, 0);

    // n = 1 always gives 0 and still draws; n < 1 draws nothing.
    std::int32_t index = state.index;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(GxRandomBelow(1, &state), 0);
    EXPECT_EQ(state.index, index + 5);
    EXPECT_EQ(GxRandomBelow(0, &state), 0);
    EXPECT_EQ(GxRandomBelow(-7, &state), 0);
    EXPECT_EQ(state.index, index + 5);
}

TEST(Random, BelowStaysInRangeAndSpreadsEvenly)
{
    GxRandomState state;
    GxRandomSeed(2024u, &state);
    for (std::int32_t n : {2, 3, 7, 1000, 0x40000001, 0x7FFFFFFF}) {
        for (int i = 0; i < 2000; ++i) {
            std::int32_t v = GxRandomBelow(n, &state);
            ASSERT_GE(v, 0);
            ASSERT_LT(v, n) << n;
        }
    }
    // Deterministic seed: the counts are fixed, the bounds only say "about a third each".
    int counts[3] = {};
    for (int i = 0; i < 30000; ++i) ++counts[GxRandomBelow(3, &state)];
    for (int c : counts) {
        EXPECT_GT(c, 9500);
        EXPECT_LT(c, 10500);
    }
}

TEST(Crc32, KnownValues)
{
    EXPECT_EQ(GxCalcCRC32("abc", 3), 0x352441C2u);
    EXPECT_EQ(GxCalcCRC32("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(GxCalcCRC32("", 0), 0u);
    EXPECT_EQ(GxCalcCRC32(nullptr, 5), 0u);
}

TEST(TimeUtil, FieldsAndTextOfALocalTime)
{
    std::tm local{};
    local.tm_year = 101;
    local.tm_mon = 0;
    local.tm_mday = 1;
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_sec = 3;
    local.tm_isdst = -1;
    std::int64_t time = _mktime64(&local);
    EXPECT_EQ(FormatDateTime(time), u"2001/01/01 09:05:03");
    EXPECT_EQ(GxTimeGetYear(time), 2001);
    EXPECT_EQ(GxTimeGetMonth(time), 1);
    EXPECT_EQ(GxTimeGetDay(time), 1);
    EXPECT_EQ(GxTimeGetHour(time), 9);
    EXPECT_EQ(GxTimeGetMinute(time), 5);
    EXPECT_EQ(GxTimeGetSecond(time), 3);
    EXPECT_EQ(GxTimeGetWeekDay(time), 1);   // a Monday
    EXPECT_EQ(GxTimeGetYearDay(time), 0);
    EXPECT_EQ(GxTimeGetYearDay(time + 40 * 86400), 40);

    platform::SetFakeCalendarTime(time);
    EXPECT_EQ(FormatCurrentDateTime(), u"2001/01/01 09:05:03");
    platform::SetFakeCalendarTime(0);
}

TEST(TruncToInt, TruncatesTowardZeroAndSaturates)
{
    EXPECT_EQ(TruncToInt(2.9), 2);
    EXPECT_EQ(TruncToInt(-2.9), -2);
    EXPECT_EQ(TruncToInt(1e12), 2147483647);
    EXPECT_EQ(TruncToInt(-1e12), -2147483647 - 1);
    EXPECT_EQ(TruncToInt(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(TruncToInt(std::numeric_limits<double>::infinity()), 2147483647);
}

TEST(ClassifyNumber, DecimalHexOrNeither)
{
    struct Case {
        const char16_t* text;
        int kind;
        std::int32_t length;
    };
    const Case cases[] = {
        {u"-12", 1, 3},   {u"0x1F", 2, 4},  {u"0x", 0, 0},    {u"+0x1F", 1, 2},   // a signed number is never hex
        {u"12ab", 1, 2},  {u"0XfFz", 2, 4}, {u"007", 1, 3},   {u"-", 0, 0},
        {u"+", 0, 0},     {u"abc", 0, 0},   {u"", 0, 0},      {u" 1", 0, 0},
    };
    for (const Case& c : cases) {
        std::int32_t length = -1;
        EXPECT_EQ(ClassifyNumberWide(c.text, &length, nullptr), c.kind) << "case " << (&c - cases);
        EXPECT_EQ(length, c.length) << "case " << (&c - cases);
    }
    // The end bound stops the scan like a non-digit would.
    const char16_t* text = u"12345";
    std::int32_t length = 0;
    EXPECT_EQ(ClassifyNumberWide(text, &length, text + 2), 1);
    EXPECT_EQ(length, 2);
    const char16_t* hex = u"0x1F";
    EXPECT_EQ(ClassifyNumberWide(hex, &length, hex + 2), 0);   // "0x" within the bound
}

// Nodes that report their deletion, so a test sees what went and in which order.
class NamedNode : public GxSimpleNode {
public:
    NamedNode(std::string name, std::vector<std::string>* deleted) : m_Name(std::move(name)), m_Deleted(deleted) {}
    ~NamedNode() override
    {
        if (m_Deleted) m_Deleted->push_back(m_Name);
    }
    std::string m_Name;
    std::vector<std::string>* m_Deleted;
};

class SimpleTreeTest : public ::testing::Test {
protected:
    NamedNode* Make(const char* name) { return new NamedNode(name, &m_Deleted); }
    static std::string Name(const GxSimpleNode* node) { return node ? static_cast<const NamedNode*>(node)->m_Name : "-"; }
    // The top-level chain, or a node's children, as "a b c".
    static std::string Chain(const GxSimpleNode* first)
    {
        std::string out;
        for (const GxSimpleNode* n = first; n; n = n->m_NextSibling) {
            if (!out.empty()) out += ' ';
            out += Name(n);
            EXPECT_EQ(n->m_NextSibling ? n->m_NextSibling->m_PrevSibling : n, n) << "broken back link after " << Name(n);
        }
        return out;
    }

    std::vector<std::string> m_Deleted;
};

TEST_F(SimpleTreeTest, SetRootModes)
{
    GxSimpleTree tree;
    NamedNode* a = Make("a");
    tree.SetRoot(a, 1);
    NamedNode* b = Make("b");
    tree.SetRoot(b, 1);   // the old root follows
    EXPECT_EQ(Chain(tree.GetRoot()), "b a");
    EXPECT_EQ(a->m_Parent, nullptr);

    NamedNode* c = Make("c");
    tree.SetRoot(c, 2);   // the old top-level chain becomes its children
    EXPECT_EQ(Chain(tree.GetRoot()), "c");
    EXPECT_EQ(Chain(c->m_FirstChild), "b a");
    EXPECT_EQ(a->m_Parent, c);
    EXPECT_EQ(b->m_Parent, c);

    NamedNode* d = Make("d");
    tree.SetRoot(d, 0);   // replaces the old root, which is the caller's again
    EXPECT_EQ(Chain(tree.GetRoot()), "d");
    GxSimpleTree detached;
    detached.SetRoot(c, 0);
}

TEST_F(SimpleTreeTest, InsertAfterAndFirstChildModes)
{
    GxSimpleTree tree;
    NamedNode* a = Make("a");
    tree.InsertAfter(nullptr, a, 1);   // no sibling: becomes the root
    NamedNode* c = Make("c");
    tree.InsertAfter(a, c, 1);
    NamedNode* b = Make("b");
    tree.InsertAfter(a, b, 1);
    EXPECT_EQ(Chain(tree.GetRoot()), "a b c");

    NamedNode* x = Make("x");
    tree.InsertAfter(a, x, 2);   // the old next sibling chain ("b c") goes under x
    EXPECT_EQ(Chain(tree.GetRoot()), "a x");
    EXPECT_EQ(Chain(x->m_FirstChild), "b c");
    EXPECT_EQ(c->m_Parent, x);

    NamedNode* k1 = Make("k1");
    tree.InsertFirstChild(a, k1, 1);
    NamedNode* k0 = Make("k0");
    tree.InsertFirstChild(a, k0, 1);
    EXPECT_EQ(Chain(a->m_FirstChild), "k0 k1");
    EXPECT_EQ(k1->m_Parent, a);
    NamedNode* after = Make("after");
    tree.InsertAfter(k0, after, 1);   // takes the sibling's parent
    EXPECT_EQ(after->m_Parent, a);
    EXPECT_EQ(Chain(a->m_FirstChild), "k0 after k1");

    NamedNode* wrap = Make("wrap");
    tree.InsertFirstChild(a, wrap, 2);
    EXPECT_EQ(Chain(a->m_FirstChild), "wrap");
    EXPECT_EQ(Chain(wrap->m_FirstChild), "k0 after k1");
    EXPECT_EQ(k0->m_Parent, wrap);

    NamedNode* top = Make("top");
    tree.InsertFirstChild(nullptr, top, 1);   // no parent: becomes the root
    EXPECT_EQ(Chain(tree.GetRoot()), "top a x");
}

TEST_F(SimpleTreeTest, UnlinkKeepsChildrenAndMendsTheChain)
{
    GxSimpleTree tree;
    NamedNode* a = Make("a");
    tree.SetRoot(a, 1);
    NamedNode* b = Make("b");
    tree.InsertAfter(a, b, 1);
    NamedNode* c = Make("c");
    tree.InsertAfter(b, c, 1);
    NamedNode* k = Make("k");
    tree.InsertFirstChild(b, k, 1);
    NamedNode* k2 = Make("k2");
    tree.InsertAfter(k, k2, 1);

    EXPECT_EQ(tree.Unlink(b), b);
    EXPECT_EQ(Chain(tree.GetRoot()), "a c");
    EXPECT_EQ(b->m_NextSibling, nullptr);
    EXPECT_EQ(b->m_PrevSibling, nullptr);
    EXPECT_EQ(Chain(b->m_FirstChild), "k k2");

    tree.Unlink(k);   // a first child: the parent's first child moves on
    EXPECT_EQ(Chain(b->m_FirstChild), "k2");
    EXPECT_EQ(k->m_Parent, nullptr);

    EXPECT_EQ(tree.Unlink(nullptr), a);   // no node: the root
    EXPECT_EQ(Chain(tree.GetRoot()), "c");

    GxSimpleTree owner;
    owner.SetRoot(a, 1);
    owner.SetRoot(b, 1);
    owner.SetRoot(k, 1);
}

TEST_F(SimpleTreeTest, DeleteSubtreeTakesTheFollowingSiblingsToo)
{
    auto tree = std::make_unique<GxSimpleTree>();
    NamedNode* a = Make("a");
    tree->SetRoot(a, 1);
    NamedNode* b = Make("b");
    tree->InsertAfter(a, b, 1);
    NamedNode* c = Make("c");
    tree->InsertAfter(b, c, 1);
    tree->InsertFirstChild(b, Make("b1"), 1);
    tree->InsertFirstChild(c, Make("c1"), 1);

    tree->DeleteSubtree(b);
    EXPECT_EQ(m_Deleted, (std::vector<std::string>{"b1", "c1", "c", "b"}));   // children first
    EXPECT_EQ(Chain(tree->GetRoot()), "a");

    // Clearing a tree whose root has siblings deletes every top-level node; so does destruction.
    tree->InsertAfter(a, Make("d"), 1);
    m_Deleted.clear();
    tree->Clear();
    EXPECT_EQ(m_Deleted.size(), 2u);
    EXPECT_EQ(tree->GetRoot(), nullptr);
    tree->SetRoot(Make("e"), 1);
    tree->InsertFirstChild(tree->GetRoot(), Make("e1"), 1);
    m_Deleted.clear();
    tree.reset();
    EXPECT_EQ(m_Deleted, (std::vector<std::string>{"e1", "e"}));
}

TEST_F(SimpleTreeTest, LongChainsAreDeletedWithoutDeepRecursion)
{
    GxSimpleTree tree;
    GxSimpleNode* last = nullptr;
    for (int i = 0; i < 100000; ++i) {
        auto* node = new NamedNode("n", nullptr);
        tree.InsertAfter(last, node, 1);
        last = node;
    }
    tree.Clear();
    EXPECT_EQ(tree.GetRoot(), nullptr);
}

}  // namespace
