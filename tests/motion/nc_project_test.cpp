// [MotionProject] the ".gnc" reader: both forms, the literal text file, the layer tree and its
// binding, the tracks, and what a wrong value leaves behind.
#include "motion_fixture.h"

#include "motion/nc_project.h"
#include "tests/support/motion_project_builder.h"

#include <sstream>

namespace motion_test {
namespace {

// Everything a project holds, one line per record, for comparing two loads.
std::string Describe(const GxNcProject& p)
{
    std::ostringstream out;
    auto text = [](const std::u16string& s) { return "'" + WideToUtf8(s) + "'"; };
    auto v4 = [](const GxVector4& v) {
        std::ostringstream o;
        o << "(" << v.x << "," << v.y << "," << v.z << "," << v.w << ")";
        return o.str();
    };
    out << text(p.m_ProjectName) << " " << p.m_IssuableMotionID << " " << p.m_IssuableLayerID << " "
        << p.m_IssuableMotionGroupID << " " << p.m_IssuableActorID << " " << p.m_IssuableStageID << " "
        << p.m_IssuableReserveID0 << " " << p.m_IssuableReserveID1 << " " << p.m_IssuableReserveID2 << " "
        << p.m_IssuableReserveID3 << " stages " << p.m_StageList.size() << "\n";
    for (const auto& g : p.m_MotionGroupList) {
        out << "group " << text(g->m_MotionGroupName) << text(g->m_EnumName) << g->m_MotionGroupID << "\n";
        for (const auto& m : g->m_MotionList) {
            out << " motion " << text(m->m_MotionName) << text(m->m_EnumName) << m->m_MotionID << " "
                << m->m_TotalDuration << " " << m->m_StartTime << " " << m->m_PlayTime << " " << m->m_EndTime << "\n";
            for (const auto& l : m->m_LayerList) {
                out << "  layer " << text(l->m_LayerName) << text(l->m_EnumName);
                for (const std::uint32_t value :
                     {l->m_LayerID, static_cast<std::uint32_t>(l->m_LastTime), l->m_LoopMode, l->m_LayerType,
                      static_cast<std::uint32_t>(l->m_AttachIndex), l->m_VertexCount, l->m_EditLock, l->m_EditVisible,
                      l->m_LightEnable, l->m_AlphaTestEnable, l->m_ZWriteEnable, l->m_ZTestEnable, l->m_ViewMode,
                      l->m_BlendMode, l->m_FilterMode, l->m_StencilMode, l->m_StencilTestEnable, l->m_Selected,
                      l->m_Expanded})
                    out << " " << value;
                out << "\n";
                for (const GxNcImageKey& k : l->m_ImageKeys)
                    out << "   image " << k.m_Time << text(k.m_ImageSetName) << text(k.m_ImageFileName)
                        << text(k.m_MotionGroupName) << text(k.m_MotionName) << " " << k.m_PatternIndex << " "
                        << k.m_Width << " " << k.m_Height << " " << k.m_OffsetFrame << " " << k.m_LoopMode << " "
                        << k.m_InterMode << " " << k.m_InterParam0 << " " << k.m_InterParam1 << " " << k.m_Selected
                        << "\n";
                int track = 1;
                for (const auto* keys : {&l->m_PositionKeys, &l->m_ScaleKeys, &l->m_RotationKeys, &l->m_PivotKeys}) {
                    for (const GxNcVector4Key& k : *keys)
                        out << "   v4." << track << " " << k.m_Time << v4(k.m_Value) << k.m_InterMode << " "
                            << k.m_InterParam0 << " " << k.m_InterParam1 << " " << k.m_Selected << "\n";
                    ++track;
                }
                for (const auto* keys : {&l->m_ScaleFactorKeys, &l->m_StoredVector2Keys})
                    for (const GxNcVector2Key& k : *keys)
                        out << "   v2 " << k.m_Time << " " << k.m_Value.x << "," << k.m_Value.y << " " << k.m_InterMode
                            << " " << k.m_InterParam0 << " " << k.m_InterParam1 << " " << k.m_Selected << "\n";
                for (const GxNcF32Key& k : l->m_OpacityKeys)
                    out << "   f32 " << k.m_Time << " " << k.m_Value << " " << k.m_InterMode << " " << k.m_InterParam0
                        << " " << k.m_InterParam1 << " " << k.m_Selected << "\n";
                for (const GxNcU32Key& k : l->m_VisibilityKeys)
                    out << "   u32 " << k.m_Time << " " << k.m_Value << " " << k.m_InterMode << " " << k.m_InterParam0
                        << " " << k.m_InterParam1 << " " << k.m_Selected << "\n";
                for (const auto* keys : {&l->m_VertexOffsetKeys, &l->m_VertexColorKeys}) {
                    for (const GxNcVertexKey& k : *keys) {
                        out << "   vertex " << k.m_Time;
                        for (const GxVector4& value : k.m_Value)
                            out << v4(value);
                        out << k.m_InterMode << " " << k.m_InterParam0 << " " << k.m_InterParam1 << " " << k.m_Selected
                            << " " << k.m_SelectedLocalFlags << "\n";
                    }
                }
            }
            for (const GxNcSoundKey& k : m->m_SoundKeys)
                out << "  sound " << k.m_Time << text(k.m_SoundName) << k.m_InterMode << " " << k.m_Selected << "\n";
            for (std::size_t t = 0; t < 4; ++t)
                for (const GxNcEventKey& k : m->m_EventKeys[t])
                    out << "  event" << t << " " << k.m_Time << " " << k.m_EventID << text(k.m_Param)
                        << k.m_AfterCallFlag << " " << k.m_InterMode << " " << k.m_InterParam0 << " "
                        << k.m_InterParam1 << " " << k.m_Selected << "\n";
            // The tree, depth first, with the depth.
            std::vector<std::pair<const GxSimpleNode*, int>> pending;
            if (m->m_LayerTree.GetRoot())
                pending.emplace_back(m->m_LayerTree.GetRoot(), 0);
            while (!pending.empty()) {
                auto [node, depth] = pending.back();
                pending.pop_back();
                const auto* n = static_cast<const GxNcLayerNode*>(node);
                out << "  node " << depth << text(n->m_LayerName) << n->m_LayerIndex << "\n";
                if (node->m_NextSibling)
                    pending.emplace_back(node->m_NextSibling, depth);
                if (node->m_FirstChild)
                    pending.emplace_back(node->m_FirstChild, depth + 1);
            }
        }
    }
    return out.str();
}

// A project with a value other than the default in every field.
TestNcProjectSpec RichSpec()
{
    TestNcProjectSpec spec;
    spec.version = 3;
    spec.projectName = u"プロジェクト";
    spec.issuableIDs = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    spec.stageCount = 2;
    spec.imageSetFileNames = {u"C:\\work\\face.gis", u"body.gis"};

    GxNcLayer layer = ImageLayer(u"Face", u"face.gis", u"eye.png");
    layer.m_EnumName = u"LAYER_FACE";
    layer.m_LayerID = 100000001;
    layer.m_LastTime = 30;
    layer.m_LoopMode = 2;
    layer.m_LayerType = 3;
    layer.m_AttachIndex = 4;
    layer.m_VertexCount = 6;
    layer.m_EditLock = 7;
    layer.m_EditVisible = 8;
    layer.m_LightEnable = 9;
    layer.m_AlphaTestEnable = 10;
    layer.m_ZWriteEnable = 11;
    layer.m_ZTestEnable = 12;
    layer.m_ViewMode = 13;
    layer.m_BlendMode = 14;
    layer.m_FilterMode = 15;
    layer.m_StencilMode = 16;
    layer.m_StencilTestEnable = 17;
    layer.m_Selected = 18;
    layer.m_Expanded = 19;
    GxNcImageKey& image = layer.m_ImageKeys[0];
    image = GxNcImageKey{5, u"face.gis", u"eye.png", u"Group", u"Idle", 2, 30, 40, nullptr, nullptr, 6, 0, 3, 0.5f,
                         0.25f, 1};
    layer.m_PositionKeys = {GxNcVector4Key{0, GxVector4(1, 2, 3, 4), 2, 0.5f, 0.75f, 1},
                            GxNcVector4Key{10, GxVector4(-1, -2, -3, -4), 0, 0, 0, 0}};
    layer.m_ScaleKeys = {GxNcVector4Key{1, GxVector4(2, 2, 1, 1), 1, 0, 0, 0}};
    layer.m_RotationKeys = {GxNcVector4Key{2, GxVector4(0, 0, 90, 0), 3, 1.5f, 0, 0}};
    layer.m_PivotKeys = {GxNcVector4Key{3, GxVector4(16, 8, 0, 0), 1, 0, 0, 0}};
    layer.m_ScaleFactorKeys = {GxNcVector2Key{4, GxVector2(0.5f, 2.0f), 0, 0, 0, 1}};
    layer.m_OpacityKeys = {GxNcF32Key{5, 0.25f, 4, -0.5f, 0.125f, 0}};
    layer.m_VisibilityKeys = {GxNcU32Key{6, 1, 0, 0, 0, 0}, GxNcU32Key{7, 0, 1, 0, 0, 0}};
    GxNcVertexKey vertex;
    vertex.m_Time = 8;
    for (int i = 0; i < 5; ++i)
        vertex.m_Value[static_cast<std::size_t>(i)] = GxVector4(float(i), float(i + 1), float(i + 2), float(i + 3));
    vertex.m_SelectedLocalFlags = 31;
    layer.m_VertexOffsetKeys = {vertex};
    vertex.m_Time = 9;
    vertex.m_InterMode = 0;
    layer.m_VertexColorKeys = {vertex};
    layer.m_StoredVector2Keys = {GxNcVector2Key{11, GxVector2(3, 4), 5, 0, 0, 0}};

    TestNcMotion motion;
    motion.motionName = u"Idle";
    motion.enumName = u"MOTION_IDLE";
    motion.motionID = 200000001;
    motion.totalDuration = 60;
    motion.startTime = 1;
    motion.playTime = 2;
    motion.endTime = 59;
    motion.layers = {layer, ImageLayer(u"Eye", u"", u"")};
    motion.soundKeys = {GxNcSoundKey{12, u"se_blink", 1, 1}};
    motion.eventKeys[1] = {GxNcEventKey{13, 7, u"param", 1, 2, 0.5f, 0.25f, 1}};
    motion.eventKeys[3] = {GxNcEventKey{14, -1, u"", 0, 0, 0, 0, 0}};
    motion.tree = {TestNcStratum{u"Face", 99, {TestNcStratum{u"Eye", 5, {}}}}};
    TestNcMotionGroup group{u"Group", u"GROUP", 400000001, {motion}};
    spec.groups = {group, TestNcMotionGroup{u"Empty", u"", 2, {}}};
    return spec;
}

std::unique_ptr<GxNcProject> LoadBytes(const std::string& bytes, std::vector<std::u16string>* names = nullptr,
                                       bool* result = nullptr)
{
    auto project = std::make_unique<GxNcProject>();
    std::vector<std::u16string> ignored;
    const bool loaded = project->LoadFromBuffer(*MakeBuffer(bytes), names ? *names : ignored);
    if (result)
        *result = loaded;
    return project;
}

const GxNcMotion& FirstMotion(const GxNcProject& project)
{
    return *project.m_MotionGroupList.at(0)->m_MotionList.at(0);
}

const GxNcLayerNode* Node(const GxSimpleNode* node)
{
    return static_cast<const GxNcLayerNode*>(node);
}

using MotionProjectTest = MotionTest;

TEST_F(MotionProjectTest, TextAndBinaryFilesOfOneContentLoadIntoEqualRecords)
{
    std::vector<std::u16string> textNames, binaryNames;
    bool textLoaded = false, binaryLoaded = false;
    const auto text = LoadBytes(BuildMotionProject(RichSpec(), TestContentForm::kText), &textNames, &textLoaded);
    const auto binary =
        LoadBytes(BuildMotionProject(RichSpec(), TestContentForm::kBinary), &binaryNames, &binaryLoaded);
    EXPECT_TRUE(textLoaded && binaryLoaded);
    EXPECT_EQ(Describe(*text), Describe(*binary));
    EXPECT_EQ(textNames, binaryNames);
    EXPECT_TRUE(m_Log.errors.empty()) << m_Log.errors.front();

    // And the load kept every value the file holds.
    const GxNcLayer& layer = *FirstMotion(*binary).m_LayerList[0];
    EXPECT_EQ(layer.m_ViewMode, 13u);
    EXPECT_EQ(layer.m_StencilMode, 16u);
    EXPECT_EQ(layer.m_StencilTestEnable, 17u);
    EXPECT_EQ(layer.m_VertexOffsetKeys[0].m_Value[4].w, 7.0f);
    EXPECT_EQ(binary->m_ProjectName, u"プロジェクト");
    EXPECT_EQ(binary->m_IssuableReserveID3, 9u);
    EXPECT_EQ(binary->m_StageList.size(), 2u);
    EXPECT_EQ(FirstMotion(*binary).m_EventKeys[1][0].m_Param, u"param");
    EXPECT_EQ(FirstMotion(*binary).m_EventKeys[1][0].m_AfterCallFlag, 1u);
}

// Written by hand: a motion whose layer stores its stencil pair before the view, blend and filter
// modes, one vertex key of five values, an event key with its flag before its text, unnamed track
// lists, and the tree A(A1, A2), B.
constexpr char kLiteralGnc[] =
    "TNCPROJ\t42\n"
    "1a\tm_ProjectName\t4\t\"demo\"\n"
    "06\tm_IssuableMotionID\t200000003\n06\tm_IssuableLayerID\t100000004\n06\tm_IssuableMotionGroupID\t400000001\n"
    "06\tm_IssuableActorID\t500000000\n06\tm_IssuableStageID\t600000000\n06\tm_IssuableReserveID0\t700000000\n"
    "06\tm_IssuableReserveID1\t800000000\n06\tm_IssuableReserveID2\t900000000\n"
    "06\tm_IssuableReserveID3\t1000000000\n"
    "20\tm_MotionGroupList\tMotionGroup\t1\t{\n"
    "1a\tm_MotionGroupName\t4\t\"chara\"\n1a\tm_EnumName\t0\t\"\"\n06\tm_MotionGroupID\t400000000\n"
    "20\tm_MotionList\tMotion\t1\t{\n"
    "1a\tm_MotionName\t4\t\"wait\"\n1a\tm_EnumName\t0\t\"\"\n06\tm_MotionID\t200000000\n"
    "05\tm_TotalDuration\t120\n05\tm_StartTime\t0\n05\tm_PlayTime\t120\n05\tm_EndTime\t120\n"
    "20\tm_LayerList\tLayer\t3\t{\n"
    // layer A
    "1a\tm_LayerName\t1\t\"A\"\n1a\tm_EnumName\t0\t\"\"\n06\tm_LayerID\t100000000\n05\tm_LastTime\t120\n"
    "06\tm_LoopMode\t1\n06\tm_LayerType\t0\n05\tm_AttachIndex\t-1\n06\tm_VertexCount\t5\n06\tm_EditLock\t0\n"
    "06\tm_EditVisible\t1\n06\tm_LightEnable\t1\n06\tm_AlphaTestEnable\t0\n06\tm_ZWriteEnable\t0\n"
    "06\tm_ZTestEnable\t0\n06\tm_StencilMode\t2\n06\tm_StencilTestEnable\t3\n06\tm_ViewMode\t4\n"
    "06\tm_BlendMode\t5\n06\tm_FilterMode\t6\n06\tm_Selected\t0\n06\tm_Expanded\t1\n"
    "20\t\t\t1\t{\n"
    "05\tm_Time\t0\n1a\tm_ImageSetName\t8\t\"face.gis\"\n1a\tm_ImageFileName\t7\t\"eye.png\"\n"
    "1a\tm_MotionGroupName\t0\t\"\"\n1a\tm_MotionName\t0\t\"\"\n05\tm_PatternIndex\t1\n05\tm_Width\t0\n"
    "05\tm_Height\t0\n05\tm_OffsetFrame\t0\n06\tm_LoopMode\t1\n06\tm_InterMode\t0\n09\tm_InterParam0\t0\n"
    "09\tm_InterParam1\t0\n06\tm_Selected\t0\n"
    "21\t}\n"
    "20\t\t\t2\t{\n"   // positions, out of time order
    "05\tm_Time\t30\n0e\tm_Value\t10\t20\t0\t0\n06\tm_InterMode\t1\n09\tm_InterParam0\t0\n09\tm_InterParam1\t0\n"
    "06\tm_Selected\t0\n"
    "05\tm_Time\t10\n0e\tm_Value\t1\t2\t0\t0\n06\tm_InterMode\t2\n09\tm_InterParam0\t0.5\n09\tm_InterParam1\t0\n"
    "06\tm_Selected\t0\n"
    "21\t}\n"
    "20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n"
    "20\t\t\t1\t{\n05\tm_Time\t0\n09\tm_Value\t0.5\n06\tm_InterMode\t1\n09\tm_InterParam0\t0\n"
    "09\tm_InterParam1\t0\n06\tm_Selected\t0\n21\t}\n"
    "20\t\t\t1\t{\n05\tm_Time\t0\n06\tm_Value\t0\n06\tm_InterMode\t0\n09\tm_InterParam0\t0\n"
    "09\tm_InterParam1\t0\n06\tm_Selected\t0\n21\t}\n"
    "20\t\t\t1\t{\n05\tm_Time\t0\n"
    "0e\tm_Value\t1\t1\t0\t0\n0e\tm_Value\t2\t2\t0\t0\n0e\tm_Value\t3\t3\t0\t0\n0e\tm_Value\t4\t4\t0\t0\n"
    "0e\tm_Value\t5\t5\t0\t0\n"
    "06\tm_InterMode\t1\n09\tm_InterParam0\t0\n09\tm_InterParam1\t0\n06\tm_Selected\t0\n"
    "06\tm_SelectedLocalFlags\t9\n21\t}\n"
    "20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n"
    // layer A1: no keys
    "1a\tm_LayerName\t2\t\"A1\"\n1a\tm_EnumName\t0\t\"\"\n06\tm_LayerID\t100000001\n05\tm_LastTime\t0\n"
    "06\tm_LoopMode\t0\n06\tm_LayerType\t0\n05\tm_AttachIndex\t-1\n06\tm_VertexCount\t5\n06\tm_EditLock\t0\n"
    "06\tm_EditVisible\t1\n06\tm_LightEnable\t1\n06\tm_AlphaTestEnable\t0\n06\tm_ZWriteEnable\t0\n"
    "06\tm_ZTestEnable\t0\n06\tm_StencilMode\t0\n06\tm_StencilTestEnable\t0\n06\tm_ViewMode\t0\n"
    "06\tm_BlendMode\t1\n06\tm_FilterMode\t1\n06\tm_Selected\t0\n06\tm_Expanded\t0\n"
    "20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n"
    "20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n"
    "20\t\t\t0\t{\n21\t}\n"
    // layer B: no keys
    "1a\tm_LayerName\t1\t\"B\"\n1a\tm_EnumName\t0\t\"\"\n06\tm_LayerID\t100000003\n05\tm_LastTime\t0\n"
    "06\tm_LoopMode\t0\n06\tm_LayerType\t0\n05\tm_AttachIndex\t0\n06\tm_VertexCount\t5\n06\tm_EditLock\t0\n"
    "06\tm_EditVisible\t1\n06\tm_LightEnable\t1\n06\tm_AlphaTestEnable\t0\n06\tm_ZWriteEnable\t0\n"
    "06\tm_ZTestEnable\t0\n06\tm_StencilMode\t0\n06\tm_StencilTestEnable\t0\n06\tm_ViewMode\t0\n"
    "06\tm_BlendMode\t1\n06\tm_FilterMode\t1\n06\tm_Selected\t0\n06\tm_Expanded\t0\n"
    "20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n"
    "20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n"
    "20\t\t\t0\t{\n21\t}\n"
    "21\t}\n"
    // sound track, event tracks 0 to 3
    "20\t\t\t1\t{\n05\tm_Time\t3\n1a\tm_SoundName\t5\t\"blink\"\n06\tm_InterMode\t0\n06\tm_Selected\t0\n21\t}\n"
    "20\t\t\t1\t{\n05\tm_Time\t60\n05\tm_EventID\t7\n06\tm_AfterCallFlag\t1\n1a\tm_Param\t3\t\"end\"\n"
    "06\tm_InterMode\t0\n09\tm_InterParam0\t0\n09\tm_InterParam1\t0\n06\tm_Selected\t0\n21\t}\n"
    "20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n20\t\t\t0\t{\n21\t}\n"
    "22\tm_LayerTree\tLayerTree\t{\n"
    "24\t{\n1a\tm_LayerName\t1\t\"A\"\n05\tm_LayerIndex\t7\n"
    "24\t{\n1a\tm_LayerName\t2\t\"A1\"\n05\tm_LayerIndex\t7\n25\t}\n"
    "24\t{\n1a\tm_LayerName\t2\t\"A2\"\n05\tm_LayerIndex\t7\n25\t}\n"
    "25\t}\n"
    "24\t{\n1a\tm_LayerName\t1\t\"B\"\n05\tm_LayerIndex\t7\n25\t}\n"
    "23\t}\n"
    "21\t}\n"
    "21\t}\n"
    "20\tm_StageList\tStage\t0\t{\n21\t}\n"
    "20\tm_ImageSetFileNameList\tFileName\t1\t{\n1a\tm_FileName\t8\t\"face.gis\"\n21\t}\n";

TEST_F(MotionProjectTest, TheLiteralTextFileLoadsAsWritten)
{
    std::vector<std::u16string> names{u"already.gis"};
    bool loaded = false;
    const auto project = LoadBytes(kLiteralGnc, &names, &loaded);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"already.gis", u"face.gis"}));
    EXPECT_EQ(project->m_ProjectName, u"demo");
    EXPECT_EQ(project->m_IssuableMotionID, 200000003u);
    EXPECT_EQ(project->m_IssuableLayerID, 100000004u);
    const GxNcMotion& motion = FirstMotion(*project);
    EXPECT_EQ(motion.m_EndTime, 120);
    ASSERT_EQ(motion.m_LayerList.size(), 3u);

    const GxNcLayer& a = *motion.m_LayerList[0];
    EXPECT_EQ(a.m_StencilMode, 2u);
    EXPECT_EQ(a.m_StencilTestEnable, 3u);
    EXPECT_EQ(a.m_ViewMode, 4u);
    EXPECT_EQ(a.m_BlendMode, 5u);
    EXPECT_EQ(a.m_FilterMode, 6u);
    EXPECT_EQ(a.m_Expanded, 1u);
    ASSERT_EQ(a.m_ImageKeys.size(), 1u);
    EXPECT_EQ(a.m_ImageKeys[0].m_ImageFileName, u"eye.png");
    EXPECT_EQ(a.m_ImageKeys[0].m_PatternIndex, 1);
    ASSERT_EQ(a.m_PositionKeys.size(), 2u);   // out of time order, kept so
    EXPECT_EQ(a.m_PositionKeys[0].m_Time, 30);
    EXPECT_EQ(a.m_PositionKeys[1].m_Time, 10);
    EXPECT_EQ(a.m_PositionKeys[1].m_InterParam0, 0.5f);
    EXPECT_EQ(a.m_OpacityKeys.at(0).m_Value, 0.5f);
    EXPECT_EQ(a.m_VisibilityKeys.at(0).m_InterMode, 0u);
    ASSERT_EQ(a.m_VertexOffsetKeys.size(), 1u);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(a.m_VertexOffsetKeys[0].m_Value[static_cast<std::size_t>(i)].x, float(i + 1));
    EXPECT_EQ(a.m_VertexOffsetKeys[0].m_SelectedLocalFlags, 9u);
    EXPECT_TRUE(a.m_VertexColorKeys.empty());
    EXPECT_EQ(motion.m_LayerList[2]->m_AttachIndex, 0);

    ASSERT_EQ(motion.m_SoundKeys.size(), 1u);
    EXPECT_EQ(motion.m_SoundKeys[0].m_SoundName, u"blink");
    ASSERT_EQ(motion.m_EventKeys[0].size(), 1u);
    EXPECT_EQ(motion.m_EventKeys[0][0].m_EventID, 7);
    EXPECT_EQ(motion.m_EventKeys[0][0].m_AfterCallFlag, 1u);
    EXPECT_EQ(motion.m_EventKeys[0][0].m_Param, u"end");

    // A(A1, A2), B; each index found by binding, the stored 7 replaced; A2 names no layer.
    const GxNcLayerNode* nodeA = Node(motion.m_LayerTree.GetRoot());
    ASSERT_NE(nodeA, nullptr);
    EXPECT_EQ(nodeA->m_LayerName, u"A");
    EXPECT_EQ(nodeA->m_LayerIndex, 0);
    EXPECT_EQ(nodeA->m_pLayer, motion.m_LayerList[0].get());
    const GxNcLayerNode* nodeA1 = Node(nodeA->m_FirstChild);
    ASSERT_NE(nodeA1, nullptr);
    EXPECT_EQ(nodeA1->m_LayerName, u"A1");
    EXPECT_EQ(nodeA1->m_LayerIndex, 1);
    EXPECT_EQ(nodeA1->m_Parent, nodeA);
    const GxNcLayerNode* nodeA2 = Node(nodeA1->m_NextSibling);
    ASSERT_NE(nodeA2, nullptr);
    EXPECT_EQ(nodeA2->m_LayerName, u"A2");
    EXPECT_EQ(nodeA2->m_LayerIndex, -1);
    EXPECT_EQ(nodeA2->m_pLayer, nullptr);
    EXPECT_EQ(nodeA2->m_NextSibling, nullptr);
    const GxNcLayerNode* nodeB = Node(nodeA->m_NextSibling);
    ASSERT_NE(nodeB, nullptr);
    EXPECT_EQ(nodeB->m_LayerName, u"B");
    EXPECT_EQ(nodeB->m_LayerIndex, 2);
    EXPECT_EQ(nodeB->m_Parent, nullptr);
    EXPECT_EQ(nodeB->m_FirstChild, nullptr);
    EXPECT_EQ(m_Log.errors, std::vector<std::string>{"LayerNotFound:A2\n"});
}

TEST_F(MotionProjectTest, AnyVersionIsAcceptedAndTheStageListReadsNoValue)
{
    for (const std::uint32_t version : {0u, 1u, 0xFFFFFFFFu}) {
        for (const TestContentForm form : {TestContentForm::kText, TestContentForm::kBinary}) {
            TestNcProjectSpec spec;
            spec.version = version;
            spec.stageCount = 3;
            spec.imageSetFileNames = {u"b.gis", u"a.gis"};
            std::vector<std::u16string> names{u"first.gis"};
            bool loaded = false;
            const auto project = LoadBytes(BuildMotionProject(spec, form), &names, &loaded);
            EXPECT_TRUE(loaded) << version;
            EXPECT_EQ(project->m_StageList.size(), 3u);
            EXPECT_EQ(names, (std::vector<std::u16string>{u"first.gis", u"b.gis", u"a.gis"}));
        }
    }
    EXPECT_TRUE(m_Log.errors.empty()) << m_Log.errors.front();
}

TEST_F(MotionProjectTest, TreeNodesBindToTheFirstLayerOfTheirExactName)
{
    TestNcProjectSpec spec;
    TestNcMotion motion;
    motion.layers = {ImageLayer(u"Arm", u"", u""), ImageLayer(u"Arm", u"", u""), ImageLayer(u"Leg", u"", u"")};
    motion.tree = {TestNcStratum{u"Arm", 1, {TestNcStratum{u"leg", 2, {}}, TestNcStratum{u"Leg", -1, {}}}}};
    TestNcMotion empty;
    empty.motionName = u"NoTree";
    empty.layers = {ImageLayer(u"Arm", u"", u"")};
    spec.groups = {TestNcMotionGroup{u"G", u"", 0, {motion, empty}}};
    const auto project = LoadBytes(BuildMotionProject(spec, TestContentForm::kBinary));
    const GxNcMotion& bound = FirstMotion(*project);
    const GxNcLayerNode* arm = Node(bound.m_LayerTree.GetRoot());
    ASSERT_NE(arm, nullptr);
    EXPECT_EQ(arm->m_LayerIndex, 0);
    EXPECT_EQ(arm->m_pLayer, bound.m_LayerList[0].get());
    const GxNcLayerNode* lowerLeg = Node(arm->m_FirstChild);
    EXPECT_EQ(lowerLeg->m_LayerIndex, -1);
    EXPECT_EQ(lowerLeg->m_pLayer, nullptr);
    const GxNcLayerNode* leg = Node(lowerLeg->m_NextSibling);
    EXPECT_EQ(leg->m_LayerIndex, 2);
    EXPECT_EQ(m_Log.errors, std::vector<std::string>{"LayerNotFound:leg\n"});
    EXPECT_EQ(project->m_MotionGroupList[0]->m_MotionList[1]->m_LayerTree.GetRoot(), nullptr);
}

TEST_F(MotionProjectTest, ATrackListUnderAnotherNameReadsAsEmpty)
{
    TestNcProjectSpec spec;
    TestNcMotion motion;
    GxNcLayer layer = ImageLayer(u"L", u"s.gis", u"x.png");
    motion.layers = {layer};
    spec.groups = {TestNcMotionGroup{u"G", u"", 0, {motion}}};
    std::string text = BuildMotionProject(spec, TestContentForm::kText);
    const std::size_t track = text.find("20\t\t\t1\t{");   // the image track
    ASSERT_NE(track, std::string::npos);
    text.replace(track, 3, "20\tm_ImageKeys");
    const auto project = LoadBytes(text);
    EXPECT_TRUE(FirstMotion(*project).m_LayerList[0]->m_ImageKeys.empty());
    EXPECT_EQ(m_Log.Errors("GxContentTextReader/ValueName does not match"), 1);
}

TEST_F(MotionProjectTest, AfterAWrongValueTheRestIsAppendedWithDefaults)
{
    TestNcProjectSpec spec;
    GxNcLayer first = ImageLayer(u"First", u"s.gis", u"x.png");
    first.m_BlendMode = 7;
    GxNcLayer second = ImageLayer(u"Second", u"s.gis", u"y.png");
    TestNcMotion motion;
    motion.motionName = u"M1";
    motion.endTime = 9;
    motion.layers = {first, second};
    motion.soundKeys = {GxNcSoundKey{}};
    motion.tree = {TestNcStratum{u"First", 0, {}}};
    TestNcMotion next = motion;
    next.motionName = u"M2";
    spec.groups = {TestNcMotionGroup{u"G1", u"", 1, {motion, next}}, TestNcMotionGroup{u"G2", u"", 2, {next}}};
    spec.imageSetFileNames = {u"s.gis"};
    std::string text = BuildMotionProject(spec, TestContentForm::kText);
    // The first layer's m_ViewMode becomes a signed value: a wrong type.
    const std::size_t view = text.find("06\tm_ViewMode");
    ASSERT_NE(view, std::string::npos);
    text[view + 1] = '5';

    bool loaded = false;
    std::vector<std::u16string> names;
    const auto project = LoadBytes(text, &names, &loaded);
    EXPECT_TRUE(loaded);
    ASSERT_EQ(project->m_MotionGroupList.size(), 2u);
    const GxNcMotionGroup& g1 = *project->m_MotionGroupList[0];
    EXPECT_EQ(g1.m_MotionGroupName, u"G1");
    ASSERT_EQ(g1.m_MotionList.size(), 2u);
    const GxNcMotion& m1 = *g1.m_MotionList[0];
    EXPECT_EQ(m1.m_EndTime, 9);
    ASSERT_EQ(m1.m_LayerList.size(), 2u);
    const GxNcLayer& damaged = *m1.m_LayerList[0];
    EXPECT_EQ(damaged.m_LayerName, u"First");
    EXPECT_EQ(damaged.m_ViewMode, 0u);
    EXPECT_EQ(damaged.m_BlendMode, 7u);   // the values after the wrong one are still read
    EXPECT_TRUE(damaged.m_ImageKeys.empty());   // but no track
    const GxNcLayer& skipped = *m1.m_LayerList[1];
    EXPECT_EQ(skipped.m_LayerName, u"");
    EXPECT_EQ(skipped.m_AttachIndex, -1);
    EXPECT_EQ(skipped.m_VertexCount, 5u);
    EXPECT_EQ(skipped.m_EditVisible, 1u);
    EXPECT_EQ(skipped.m_LightEnable, 1u);
    EXPECT_EQ(skipped.m_BlendMode, 1u);
    EXPECT_EQ(skipped.m_FilterMode, 1u);
    EXPECT_EQ(skipped.m_LayerType + skipped.m_EditLock + skipped.m_ViewMode + skipped.m_StencilMode, 0u);
    EXPECT_TRUE(m1.m_SoundKeys.empty());
    EXPECT_EQ(m1.m_LayerTree.GetRoot(), nullptr);
    EXPECT_EQ(g1.m_MotionList[1]->m_MotionName, u"");
    EXPECT_TRUE(g1.m_MotionList[1]->m_LayerList.empty());
    EXPECT_EQ(project->m_MotionGroupList[1]->m_MotionGroupName, u"");
    EXPECT_EQ(m_Log.errors.at(0).rfind("GxContentTextReader/", 0), 0u);
}

TEST_F(MotionProjectTest, FilesWithoutTheProjectHeaderDoNotLoad)
{
    TestNcProjectSpec spec;
    spec.projectName = u"kept?";
    std::string zipped = BuildMotionProject(spec, TestContentForm::kBinary);
    zipped[0] = 'Z';
    struct Case {
        std::string bytes;
        const char* line;
    };
    for (const Case& c : {Case{zipped, "GxContentBinaryReader/FileHeader Isn't BNCPROJ"},
                          Case{"TGIMGSET\t1\n", "GxContentTextReader/FileHeader Isn't TNCPROJ"},
                          Case{"", "GxContentBinaryReader/"}}) {
        m_Log.Clear();
        std::vector<std::u16string> names{u"x"};
        bool loaded = true;
        const auto project = LoadBytes(c.bytes, &names, &loaded);
        EXPECT_FALSE(loaded) << c.line;
        EXPECT_EQ(project->m_ProjectName, u"");
        EXPECT_EQ(project->m_IssuableMotionID, 200000000u);
        EXPECT_EQ(names.size(), 1u);
        EXPECT_EQ(m_Log.Errors(c.line), 1) << c.line;
    }
    m_Log.Clear();
    GxNcProject missing;
    std::vector<std::u16string> names;
    EXPECT_FALSE(missing.Load(u"gnc/none.gnc", names));
    EXPECT_EQ(m_Log.Errors("File open error or not exist:gnc/none.gnc"), 1);
}

}  // namespace
}  // namespace motion_test
