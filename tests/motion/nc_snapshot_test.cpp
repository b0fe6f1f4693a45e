// Motion snapshots: layer matrices and blend modes down the layer tree, points, texture
// coordinates and colours of pattern, placeholder and plain layers, nested motions and the
// reuse of a snapshot from frame to frame.
#include "motion_fixture.h"
#include "snapshot_fixture.h"

#include "motion/nc_motion_snapshot.h"

namespace motion_test {
namespace {

class NcSnapShotTest : public MotionTest {
protected:
    GxNcMotionSnapShotEx Build(GxNcMotion& motion, std::int32_t frame, std::int32_t depth = 4,
                               const GxMatrix* parent = nullptr, GxVector4 offset = GxVector4(),
                               GxFColor color = GxFColor())
    {
        GxNcMotionSnapShotEx snapshot;
        snapshot.Create(&m_Scene.m_Project, &motion, frame, offset, parent, color, depth);
        return snapshot;
    }

    static GxVector3 Point(const GxNcLayerSnapShotEx& record, std::size_t k)
    {
        return GxVector3(record.m_Points[k].x, record.m_Points[k].y, record.m_Points[k].z);
    }

    TestScene m_Scene;
    TestOrigin m_Origin;
};

#define EXPECT_POINT(actual, ex, ey)            \
    do {                                        \
        const GxVector3 p_ = (actual);          \
        EXPECT_NEAR(p_.x, (ex), 1e-4f);         \
        EXPECT_NEAR(p_.y, (ey), 1e-4f);         \
    } while (0)

TEST_F(NcSnapShotTest, RotationScaleAndPositionActAboutThePivotAndPassDownTheTree)
{
    GxNcMotion& motion = m_Scene.AddMotion(u"m");
    GxNcLayer& parent = TestScene::AddLayer(motion, u"parent");
    parent.m_ImageKeys.resize(1);
    parent.m_ImageKeys[0].m_Width = 40;   // a plain rectangle: (-20, 0) to (20, 0)
    parent.m_RotationKeys.push_back(Vector4Key(0, 0, 0, 90));
    parent.m_PivotKeys.push_back(Vector4Key(0, 10, 0));
    GxNcLayer& child = TestScene::AddLayer(motion, u"child");
    child.m_ImageKeys.resize(1);
    child.m_ImageKeys[0].m_Width = 2;
    child.m_ImageKeys[0].m_Height = 2;
    child.m_PositionKeys.push_back(Vector4Key(0, 100, 0));
    child.m_ScaleKeys.push_back(Vector4Key(0, 2, 3, 1, 1));
    child.m_ScaleFactorKeys.resize(1);
    child.m_ScaleFactorKeys[0].m_Value = GxVector2(5, 1);
    GxNcLayerNode* root = TestScene::AddNode(motion, nullptr, u"parent");
    TestScene::AddNode(motion, root, u"child");
    TestScene::Bind(motion);

    GxMatrix world;
    world.SetTranslationXYZ(1000, 2000, 0);
    const GxNcMotionSnapShotEx snapshot = Build(motion, 0, 4, &world, GxVector4(0.5f, 0.25f, 0, 0));
    ASSERT_EQ(snapshot.m_Layers.size(), 2u);
    GxVector3 local;
    GxVector3(20, 0, 0).TransformTo(snapshot.m_Layers[0].m_LocalMatrix, local);
    EXPECT_POINT(local, 10, 10);
    // The parent's right-top corner through the world matrix, then the snapshot's offset.
    EXPECT_POINT(Point(snapshot.m_Layers[0], 3), 1010.5f, 2010.25f);
    // The child: scaled (2 x 5, 3) about its origin, moved by 100, then turned with the parent.
    // (1, -1) -> (10, -3) -> (110, -3) -> about (10, 0) by 90 degrees: (13, 100).
    EXPECT_POINT(Point(snapshot.m_Layers[1], 3), 1013.5f, 2100.25f);
}

TEST_F(NcSnapShotTest, BlendModeZeroTakesTheParentsAndAtTheRootGivesOne)
{
    GxNcMotion& motion = m_Scene.AddMotion(u"m");
    TestScene::AddLayer(motion, u"root").m_BlendMode = 0;
    TestScene::AddLayer(motion, u"add").m_BlendMode = 3;
    TestScene::AddLayer(motion, u"inherits").m_BlendMode = 0;
    TestScene::AddLayer(motion, u"own").m_BlendMode = 6;
    TestScene::AddNode(motion, nullptr, u"root");
    GxNcLayerNode* add = TestScene::AddNode(motion, nullptr, u"add");
    GxNcLayerNode* inherits = TestScene::AddNode(motion, add, u"inherits");
    TestScene::AddNode(motion, inherits, u"own");
    TestScene::Bind(motion);
    const GxNcMotionSnapShotEx snapshot = Build(motion, 0);
    EXPECT_EQ(snapshot.m_Layers[0].m_BlendMode, 1u);
    EXPECT_EQ(snapshot.m_Layers[1].m_BlendMode, 3u);
    EXPECT_EQ(snapshot.m_Layers[2].m_BlendMode, 3u);
    EXPECT_EQ(snapshot.m_Layers[3].m_BlendMode, 6u);
}

TEST_F(NcSnapShotTest, AChildOfAHiddenTransparentParentKeepsItsColoursAndMovesWithIt)
{
    GxNcMotion& motion = m_Scene.AddMotion(u"m");
    GxNcLayer& parent = TestScene::AddPatternLayer(motion, u"parent", m_Origin);
    m_Origin.AddPattern(0, 0, 10, 10);
    parent.m_PositionKeys.push_back(Vector4Key(0, 100, 0));
    parent.m_OpacityKeys.resize(1);
    parent.m_OpacityKeys[0].m_Value = 0.0f;
    parent.m_VisibilityKeys.resize(1);
    parent.m_VisibilityKeys[0].m_Value = 0;
    GxNcLayer& child = TestScene::AddPatternLayer(motion, u"child", m_Origin);
    child.m_VertexColorKeys.resize(1);
    child.m_VertexColorKeys[0].m_Value.fill(GxVector4(1.0f, 0.5f, 0.25f, 0.8f));
    child.m_OpacityKeys.resize(1);
    child.m_OpacityKeys[0].m_Value = 0.5f;
    TestScene::AddNode(motion, TestScene::AddNode(motion, nullptr, u"parent"), u"child");
    TestScene::Bind(motion);

    const GxNcMotionSnapShotEx snapshot = Build(motion, 0, 4, nullptr, GxVector4(), GxFColor(1, 1, 0.5f, 0.5f));
    const GxNcLayerSnapShotEx& record = snapshot.m_Layers[1];
    EXPECT_POINT(Point(record, 0), 100, 0);
    EXPECT_POINT(Point(record, 2), 110, 10);
    // Track 9's colour, its alpha times the opacity, times the colour given to Create.
    EXPECT_FLOAT_EQ(record.m_Colors[4].g, 0.5f);
    EXPECT_FLOAT_EQ(record.m_Colors[4].b, 0.125f);
    EXPECT_FLOAT_EQ(record.m_Colors[4].a, 0.2f);
    EXPECT_FLOAT_EQ(snapshot.m_Layers[0].m_Colors[0].a, 0.0f);
}

TEST_F(NcSnapShotTest, APatternQuadIsCentredAndTakesTheAtlasCoordinatesAndVertexOffsets)
{
    GxNcMotion& motion = m_Scene.AddMotion(u"m");
    GxNcPattern& pattern = m_Origin.AddPattern(4, 6, 20, 10, 50, 30);
    pattern.m_CenterPosX = 10;
    pattern.m_CenterPosY = 5;
    GxNcLayer& layer = TestScene::AddPatternLayer(motion, u"face", m_Origin);
    layer.m_VertexOffsetKeys.resize(1);
    layer.m_VertexOffsetKeys[0].m_Value[2] = GxVector4(3, -2, 0, 0);
    TestScene::FlatTree(motion);

    GxNcMotionSnapShotEx snapshot = Build(motion, 0);
    const GxNcLayerSnapShotEx& record = snapshot.m_Layers[0];
    EXPECT_POINT(Point(record, 0), -6, 1);
    EXPECT_POINT(Point(record, 1), -6, 11);
    EXPECT_POINT(Point(record, 2), 17, 9);
    EXPECT_POINT(Point(record, 3), 14, 1);
    EXPECT_POINT(Point(record, 4), 4, 6);
    EXPECT_FLOAT_EQ(record.m_UVs[0].x, 0.25f);
    EXPECT_FLOAT_EQ(record.m_UVs[1].y, 0.4f);
    EXPECT_FLOAT_EQ(record.m_UVs[2].x, 0.35f);
    EXPECT_FLOAT_EQ(record.m_UVs[4].x, 0.3f);
    EXPECT_FLOAT_EQ(record.m_UVs[4].y, 0.35f);

    // Without a loaded atlas texture the default coordinates.
    m_Origin.atlas.m_pTexture = nullptr;
    snapshot.Create(&m_Scene.m_Project, &motion, 0, GxVector4(), nullptr, GxFColor(), 4);
    EXPECT_FLOAT_EQ(snapshot.m_Layers[0].m_UVs[2].x, 1.0f);
    EXPECT_FLOAT_EQ(snapshot.m_Layers[0].m_UVs[4].y, 0.5f);
}

TEST_F(NcSnapShotTest, ANamedImageThatIsNotAvailableShowsA64PixelPlaceholder)
{
    GxNcMotion& motion = m_Scene.AddMotion(u"m");
    GxNcLayer& named = TestScene::AddLayer(motion, u"named");
    named.m_ImageKeys.resize(1);
    named.m_ImageKeys[0].m_ImageSetName = u"gone.gis";
    named.m_ImageKeys[0].m_MotionGroupName = u"g";   // not shown: the image comes first
    named.m_ImageKeys[0].m_MotionName = u"m";
    named.m_ImageKeys[0].m_Width = 8;
    named.m_VertexOffsetKeys.resize(1);
    named.m_VertexOffsetKeys[0].m_Value.fill(GxVector4(100, 100, 0, 0));
    GxNcLayer& outOfRange = TestScene::AddPatternLayer(motion, u"out", m_Origin, 1);   // only pattern 0
    m_Origin.AddPattern(0, 0, 4, 4);
    outOfRange.m_PositionKeys.push_back(Vector4Key(0, 7, 0));
    TestScene::FlatTree(motion);

    const GxNcMotionSnapShotEx snapshot = Build(motion, 0);
    for (std::size_t i = 0; i < 2; ++i) {
        const GxNcLayerSnapShotEx& record = snapshot.m_Layers[i];
        const float x = i == 0 ? 0.0f : 7.0f;
        EXPECT_POINT(Point(record, 0), x - 32, -32);
        EXPECT_POINT(Point(record, 1), x - 32, 32);
        EXPECT_POINT(Point(record, 2), x + 32, 32);
        EXPECT_POINT(Point(record, 3), x + 32, -32);
        EXPECT_POINT(Point(record, 4), x, 0);
        EXPECT_FLOAT_EQ(record.m_UVs[2].x, 1.0f);
        EXPECT_FALSE(record.m_pNested);
    }
}

TEST_F(NcSnapShotTest, NestedFramesFollowTheOffsetFrameAndNeverGoBelowZero)
{
    GxNcMotion& inner = m_Scene.AddMotion(u"inner", 100);
    TestScene::AddPatternLayer(inner, u"face", m_Origin);
    m_Origin.AddPattern(0, 0, 4, 4);
    TestScene::FlatTree(inner);
    GxNcMotion& outer = m_Scene.AddMotion(u"outer", 200);
    GxNcLayer& layer = TestScene::AddNestingLayer(outer, u"shows", u"inner", 30, 10);
    layer.m_LoopMode = 1;
    layer.m_ImageKeys[0].m_Width = 6;
    layer.m_VertexColorKeys.resize(1);
    layer.m_VertexColorKeys[0].m_Value[0] = GxVector4(1, 0, 0, 1);   // the nested motion's colour
    layer.m_PositionKeys.push_back(Vector4Key(0, 50, 60));
    TestScene::FlatTree(outer);

    GxNcMotionSnapShotEx snapshot = Build(outer, 30);
    ASSERT_TRUE(snapshot.m_Layers[0].m_pNested);
    EXPECT_EQ(snapshot.m_Layers[0].m_pNested->m_Frame, 10);
    EXPECT_POINT(Point(snapshot.m_Layers[0], 2), 53, 60);   // its own rectangle stays
    const GxNcLayerSnapShotEx& nested = snapshot.m_Layers[0].m_pNested->m_Layers[0];
    EXPECT_POINT(Point(nested, 0), 50, 60);   // under the layer's world matrix
    EXPECT_FLOAT_EQ(nested.m_Colors[3].g, 0.0f);
    snapshot.Create(&m_Scene.m_Project, &outer, 35, GxVector4(), nullptr, GxFColor(), 4);
    EXPECT_EQ(snapshot.m_Layers[0].m_pNested->m_Frame, 15);
    snapshot.Create(&m_Scene.m_Project, &outer, 125, GxVector4(), nullptr, GxFColor(), 4);
    EXPECT_EQ(snapshot.m_Layers[0].m_pNested->m_Frame, 5);   // 105 wraps in the nested period
    // Before its first image key a looping layer uses that key: 10 - 30 + 5 is below zero.
    snapshot.Create(&m_Scene.m_Project, &outer, 5, GxVector4(), nullptr, GxFColor(), 4);
    EXPECT_EQ(snapshot.m_Layers[0].m_pNested->m_Frame, 0);

    // A layer with loop mode 2 folds its frame by its own last time first.
    layer.m_LoopMode = 2;
    layer.m_LastTime = 40;
    snapshot.Create(&m_Scene.m_Project, &outer, 75, GxVector4(), nullptr, GxFColor(), 4);
    EXPECT_EQ(snapshot.m_Layers[0].m_pNested->m_Frame, 15);
}

TEST_F(NcSnapShotTest, NestingStopsAtTheDepthAndAMissingMotionLeavesNoStaleSnapshot)
{
    GxNcMotion& self = m_Scene.AddMotion(u"self", 10);
    GxNcLayer& layer = TestScene::AddNestingLayer(self, u"again", u"self");
    layer.m_ImageKeys[0].m_Width = 4;
    TestScene::FlatTree(self);
    GxNcMotionSnapShotEx snapshot = Build(self, 0, 4);
    int levels = 0;
    for (const GxNcMotionSnapShotEx* level = &snapshot; level->m_Layers[0].m_pNested; ++levels)
        level = level->m_Layers[0].m_pNested.get();
    EXPECT_EQ(levels, 4);

    layer.m_ImageKeys[0].m_MotionName = u"missing";
    snapshot.Create(&m_Scene.m_Project, &self, 1, GxVector4(), nullptr, GxFColor(), 4);
    EXPECT_FALSE(snapshot.m_Layers[0].m_pNested);
    EXPECT_POINT(Point(snapshot.m_Layers[0], 2), 2, 0);
}

TEST_F(NcSnapShotTest, AnEndTimeOfZeroGivesPeriodOneAndANullMotionChangesNothing)
{
    GxNcMotion& motion = m_Scene.AddMotion(u"still", 0);
    GxNcLayer& layer = TestScene::AddLayer(motion, u"a");
    layer.m_LoopMode = 1;
    layer.m_PositionKeys = {Vector4Key(0, 0, 0), Vector4Key(5, 50, 0)};
    TestScene::FlatTree(motion);
    GxNcMotionSnapShotEx snapshot = Build(motion, 7);
    EXPECT_EQ(snapshot.m_Period, 1);
    EXPECT_EQ(snapshot.m_Layers[0].m_Period, 1);
    EXPECT_FLOAT_EQ(snapshot.m_Layers[0].m_Position.m_Value.x, 0.0f);   // every frame folds to 0
    snapshot.Create(&m_Scene.m_Project, nullptr, 3, GxVector4(), nullptr, GxFColor(), 4);
    EXPECT_EQ(snapshot.m_pMotion, &motion);
    EXPECT_EQ(snapshot.m_Frame, 7);
}

TEST_F(NcSnapShotTest, AReusedSnapshotKeepsItsSurplusRecordsAndACopyIsDeep)
{
    GxNcMotion& big = m_Scene.AddMotion(u"big");
    for (const char16_t* name : {u"a", u"b", u"c"})
        TestScene::AddLayer(big, name).m_PositionKeys.push_back(Vector4Key(0, 9, 9));
    TestScene::FlatTree(big);
    GxNcMotion& small = m_Scene.AddMotion(u"small");
    TestScene::AddNestingLayer(small, u"n", u"big");
    TestScene::FlatTree(small);

    GxNcMotionSnapShotEx snapshot = Build(big, 0);
    snapshot.Create(&m_Scene.m_Project, &small, 0, GxVector4(), nullptr, GxFColor(), 4);
    ASSERT_EQ(snapshot.m_Layers.size(), 3u);
    EXPECT_EQ(snapshot.m_pMotion, &small);
    EXPECT_EQ(snapshot.m_Layers[0].m_pLayer, small.m_LayerList[0].get());
    EXPECT_EQ(snapshot.m_Layers[2].m_pLayer, big.m_LayerList[2].get());   // left as it was

    const GxNcMotionSnapShotEx copy = snapshot;
    ASSERT_TRUE(copy.m_Layers[0].m_pNested);
    EXPECT_NE(copy.m_Layers[0].m_pNested.get(), snapshot.m_Layers[0].m_pNested.get());
    EXPECT_EQ(copy.m_Layers[0].m_pNested->m_Layers.size(), 3u);
}

TEST_F(NcSnapShotTest, AnUnboundTreeNodeIsLoggedAndEndsOnlyItsRunOfSiblings)
{
    GxNcMotion& motion = m_Scene.AddMotion(u"m");
    for (const char16_t* name : {u"top", u"after", u"child", u"late", u"next"})
        TestScene::AddLayer(motion, name).m_PositionKeys.push_back(Vector4Key(0, 5, 0));
    GxNcLayerNode* top = TestScene::AddNode(motion, nullptr, u"top");
    TestScene::AddNode(motion, top, u"child");
    TestScene::AddNode(motion, top, u"nobody");
    TestScene::AddNode(motion, top, u"late");
    TestScene::AddNode(motion, nullptr, u"after");
    TestScene::Bind(motion);   // logs "LayerNotFound"
    m_Log.Clear();

    const GxNcMotionSnapShotEx snapshot = Build(motion, 0);
    EXPECT_EQ(m_Log.Errors("GxNcMotionSnapShotEx::CreateCombinedParam_Sub/Layer:nobody Tree is not prepared"), 1);
    auto x = [&](std::size_t i) { return snapshot.m_Layers[i].m_WorldMatrix.m[12]; };
    EXPECT_FLOAT_EQ(x(0), 5.0f);    // top
    EXPECT_FLOAT_EQ(x(2), 10.0f);   // child, before the unbound node
    EXPECT_FLOAT_EQ(x(3), 0.0f);    // late, after it: skipped, identity
    EXPECT_FLOAT_EQ(x(1), 5.0f);    // after, on the enclosing level
    EXPECT_FLOAT_EQ(x(4), 0.0f);    // next: in no node at all
}

}  // namespace
}  // namespace motion_test
