// Drawing of motion snapshots and single patterns, checked on the graphics calls they make.
#include "motion_fixture.h"
#include "snapshot_fixture.h"

#include "motion/nc_motion_snapshot.h"
#include "motion/nc_pattern_draw.h"

namespace motion_test {
namespace {

class NcDrawTest : public MotionTest {
protected:
    void Draw(GxNcMotion& motion, std::int32_t frame, std::uint32_t blend = 0, std::uint32_t filter = 0,
              float alpha = 1.0f, GxFColor color = GxFColor(), GxFColor color1 = GxFColor(0, 0, 0, 0),
              const GxMatrix& matrix = GxMatrix())
    {
        m_Snapshot.Create(&m_Scene.m_Project, &motion, frame, GxVector4(), nullptr, GxFColor(), 4);
        GxNcMotionSnapShotEx::Draw(&m_Snapshot, matrix, alpha, color, color1, blend, filter);
    }

    // The x of the first point of each quad drawn, which the tests use to tell layers apart.
    std::vector<float> Lefts() const
    {
        std::vector<float> lefts;
        for (const auto& quad : m_Calls.quads)
            lefts.push_back(quad.points[0].x);
        return lefts;
    }

    TestScene m_Scene;
    TestOrigin m_Origin;
    GxNcMotionSnapShotEx m_Snapshot;
    RecordingCalls m_Calls;
};

// A pattern layer at x = `x`.
GxNcLayer& At(GxNcMotion& motion, const std::u16string& name, TestOrigin& origin, float x)
{
    GxNcLayer& layer = TestScene::AddPatternLayer(motion, name, origin);
    layer.m_PositionKeys.push_back(Vector4Key(0, x, 0));
    return layer;
}

TEST_F(NcDrawTest, OneQuadPerLayerLastFirstWithExactPointsCoordinatesColoursAndStates)
{
    m_Origin.AddPattern(0, 0, 20, 10, 40, 20);
    GxNcMotion& motion = m_Scene.AddMotion(u"m");
    GxNcLayer& top = At(motion, u"top", m_Origin, 100);
    top.m_FilterMode = D3DTEXF_LINEAR;
    top.m_BlendMode = 3;
    top.m_VertexColorKeys.resize(1);
    top.m_VertexColorKeys[0].m_Value.fill(GxVector4(1.0f, 0.5f, 0.0f, 1.0f));
    top.m_VertexColorKeys[0].m_Value[4] = GxVector4(0.0f, 1.0f, 1.0f, 0.5f);
    At(motion, u"bottom", m_Origin, 300);
    TestScene::FlatTree(motion);

    GxMatrix matrix;
    matrix.SetTranslationXYZ(0, 1000, 0);
    Draw(motion, 0, 0, 0, 0.5f, GxFColor(1.0f, 1.0f, 0.5f, 1.0f), GxFColor(0.2f, 0.4f, 0.6f, 1.0f), matrix);
    ASSERT_EQ(m_Calls.quads.size(), 2u);
    EXPECT_EQ(Lefts(), (std::vector<float>{300, 100}));   // the first layer ends on top
    const RecordingCalls::Quad& quad = m_Calls.quads[1];
    EXPECT_TRUE(quad.layerQuad);
    EXPECT_EQ(quad.texture, &m_Origin.texture);
    const float xs[5] = {100, 100, 120, 120, 110};
    const float ys[5] = {1000, 1010, 1010, 1000, 1005};
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_FLOAT_EQ(quad.points[k].x, xs[k]);
        EXPECT_FLOAT_EQ(quad.points[k].y, ys[k]);
    }
    EXPECT_FLOAT_EQ(quad.uvs[0].x, 0.2f);
    EXPECT_FLOAT_EQ(quad.uvs[2].y, 0.3f);
    // Record colour times (colour with its alpha times 0.5), packed.
    EXPECT_EQ(quad.diffuse[0], 0x7FFF7F00u);
    EXPECT_EQ(quad.diffuse[4], 0x3F00FF7Fu);
    EXPECT_EQ(quad.specular[3], ColorToArgb(0.2f, 0.4f, 0.6f, 1.0f));
    EXPECT_FLOAT_EQ(quad.uvOffset.x, 0.0f);
    EXPECT_EQ(quad.filter, D3DTEXF_LINEAR);
    EXPECT_EQ(quad.cull, static_cast<DWORD>(D3DCULL_NONE));
    EXPECT_EQ(quad.preset, 3);
    EXPECT_EQ(m_Calls.quads[0].filter, D3DTEXF_POINT);   // the layer default
    EXPECT_EQ(m_Calls.quads[0].preset, 1);
}

TEST_F(NcDrawTest, LayersThatAreHiddenOfAnEditorTypeOrShowNothingAreSkipped)
{
    m_Origin.AddPattern(0, 0, 4, 4);
    GxNcMotion& motion = m_Scene.AddMotion(u"m");
    At(motion, u"drawn", m_Origin, 1);
    At(motion, u"edit hidden", m_Origin, 2).m_EditVisible = 0;
    At(motion, u"type 1", m_Origin, 3).m_LayerType = 1;
    At(motion, u"type 2", m_Origin, 4).m_LayerType = 2;
    At(motion, u"type 3", m_Origin, 5).m_LayerType = 3;
    At(motion, u"unnamed", m_Origin, 6).m_ImageKeys[0].m_ImageSetName.clear();
    GxNcLayer& invisible = At(motion, u"invisible", m_Origin, 7);
    invisible.m_VisibilityKeys.resize(2);
    invisible.m_VisibilityKeys[0].m_Value = 0;
    invisible.m_VisibilityKeys[1].m_Time = 10;
    invisible.m_VisibilityKeys[1].m_Value = 1;
    At(motion, u"pattern = count", m_Origin, 8).m_ImageKeys[0].m_PatternIndex = 1;
    At(motion, u"negative pattern", m_Origin, 9).m_ImageKeys[0].m_PatternIndex = -1;
    GxNcLayer& plain = TestScene::AddLayer(motion, u"plain");
    plain.m_ImageKeys.resize(1);
    plain.m_ImageKeys[0].m_Width = 50;
    plain.m_ImageKeys[0].m_MotionGroupName = u"g";   // names a motion that does not exist
    TestScene::FlatTree(motion);

    Draw(motion, 0);
    EXPECT_EQ(Lefts(), (std::vector<float>{5, 1}));
    m_Calls.quads.clear();
    Draw(motion, 10);   // now visible
    EXPECT_EQ(Lefts(), (std::vector<float>{7, 5, 1}));

    // A pattern in no atlas, and a snapshot never built, draw nothing.
    m_Origin.image.m_PatternArray[0].m_pCrammedImage = nullptr;
    m_Calls.quads.clear();
    Draw(motion, 10);
    GxNcMotionSnapShotEx::Draw(nullptr, GxMatrix(), 1.0f, GxFColor(), GxFColor(), 0, 0);
    GxNcMotionSnapShotEx empty;
    GxNcMotionSnapShotEx::Draw(&empty, GxMatrix(), 1.0f, GxFColor(), GxFColor(), 0, 0);
    EXPECT_TRUE(m_Calls.quads.empty());
}

TEST_F(NcDrawTest, NestedMotionsDrawTheirOwnLayersWithTheirOwnFilterAndTheBlendOverride)
{
    m_Origin.AddPattern(0, 0, 4, 4);
    GxNcMotion& inner = m_Scene.AddMotion(u"inner");
    GxNcLayer& first = At(inner, u"first", m_Origin, 10);
    first.m_FilterMode = D3DTEXF_LINEAR;
    first.m_BlendMode = 3;
    At(inner, u"second", m_Origin, 20).m_FilterMode = D3DTEXF_POINT;
    TestScene::FlatTree(inner);
    GxNcMotion& outer = m_Scene.AddMotion(u"outer");
    At(outer, u"own", m_Origin, 1000).m_FilterMode = D3DTEXF_POINT;
    GxNcLayer& shows = TestScene::AddNestingLayer(outer, u"shows", u"inner");
    shows.m_PositionKeys.push_back(Vector4Key(0, 500, 0));
    GxNcLayer& hidden = TestScene::AddNestingLayer(outer, u"hidden", u"inner");
    hidden.m_VisibilityKeys.resize(1);
    hidden.m_VisibilityKeys[0].m_Value = 0;
    TestScene::FlatTree(outer);

    Draw(outer, 0, 0, D3DTEXF_ANISOTROPIC);
    ASSERT_EQ(Lefts(), (std::vector<float>{520, 510, 1000}));
    EXPECT_EQ(m_Calls.quads[0].filter, D3DTEXF_POINT);
    EXPECT_EQ(m_Calls.quads[1].filter, D3DTEXF_LINEAR);
    EXPECT_EQ(m_Calls.quads[2].filter, D3DTEXF_ANISOTROPIC);
    EXPECT_EQ(m_Calls.quads[1].preset, 3);

    m_Calls.quads.clear();
    Draw(outer, 0, 2);
    ASSERT_EQ(m_Calls.quads.size(), 3u);
    for (const auto& quad : m_Calls.quads)
        EXPECT_EQ(quad.preset, 2);
}

TEST_F(NcDrawTest, APatternIsDrawnThroughItsMatrixWithItsAtlasWindow)
{
    m_Origin.AddPattern(10, 20, 100, 40, 50, 30);
    GxMatrix matrix;
    matrix.SetScaling(2, 1, 1);
    matrix.AddTranslationXYZ(5, 6, 0);
    DrawCrammedImagePatternNoClip(&m_Origin.image, 0, matrix, 0.5f, GxFColor(1, 0, 1, 1), GxFColor(0, 0, 0, 0), 4);
    ASSERT_EQ(m_Calls.quads.size(), 1u);
    const RecordingCalls::Quad& quad = m_Calls.quads[0];
    EXPECT_FALSE(quad.layerQuad);
    EXPECT_EQ(quad.texture, &m_Origin.texture);
    const float xs[4] = {25, 25, 225, 225};
    const float ys[4] = {26, 66, 66, 26};
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(quad.points[k].x, xs[k]);
        EXPECT_FLOAT_EQ(quad.points[k].y, ys[k]);
        EXPECT_EQ(quad.diffuse[k], 0x7FFF00FFu);
        EXPECT_EQ(quad.specular[k], 0u);
    }
    EXPECT_FLOAT_EQ(quad.uv.left, 0.25f);
    EXPECT_FLOAT_EQ(quad.uv.top, 0.3f);
    EXPECT_FLOAT_EQ(quad.uv.right, 0.75f);
    EXPECT_FLOAT_EQ(quad.uv.bottom, 0.7f);
    EXPECT_EQ(quad.preset, 4);

    // Nothing for a null image, an index out of range, or a pattern in no atlas.
    m_Calls.quads.clear();
    DrawCrammedImagePatternNoClip(nullptr, 0, matrix, 1.0f, GxFColor(), GxFColor(), 2);
    DrawCrammedImagePatternNoClip(&m_Origin.image, 1, matrix, 1.0f, GxFColor(), GxFColor(), 2);
    DrawCrammedImagePatternNoClip(&m_Origin.image, -1, matrix, 1.0f, GxFColor(), GxFColor(), 2);
    DrawCrammedImagePattern(&m_Origin.image, 1, GxRect{0, 0, 10, 10}, matrix, 1.0f, GxFColor(), GxFColor(), 2);
    m_Origin.image.m_PatternArray[0].m_pCrammedImage = nullptr;
    DrawCrammedImagePatternNoClip(&m_Origin.image, 0, matrix, 1.0f, GxFColor(), GxFColor(), 2);
    EXPECT_TRUE(m_Calls.quads.empty());
}

TEST_F(NcDrawTest, AClippedPatternKeepsItsCornerAndMovesTheSourceWindow)
{
    m_Origin.AddPattern(0, 0, 100, 40, 60, 20);
    struct ClipCase {
        const char* what;
        GxRect clip;
        float width, height;   // of the quad drawn
        float u0, v0, u1, v1;  // source window in atlas pixels
    };
    const ClipCase cases[] = {
        {"the left half", {0, 0, 50, 100}, 50, 40, 60, 20, 110, 60},
        {"a left edge inside the pattern", {30, 0, 200, 100}, 70, 40, 90, 20, 160, 60},
        {"left and right inside, top inside", {30, 10, 60, 100}, 30, 30, 90, 30, 120, 60},
        {"a rectangle wider than the pattern", {-20, -5, 300, 300}, 100, 40, 60, 20, 160, 60},
        {"nothing left: right at left", {30, 0, 30, 40}, 0, 0, 0, 0, 0, 0},
        {"nothing left: left past the pattern", {100, 0, 300, 40}, 0, 0, 0, 0, 0, 0},
        {"nothing left: bottom above top", {0, 20, 100, 10}, 0, 0, 0, 0, 0, 0},
    };
    for (const ClipCase& c : cases) {
        SCOPED_TRACE(c.what);
        m_Calls.quads.clear();
        DrawCrammedImagePattern(&m_Origin.image, 0, c.clip, GxMatrix(), 1.0f, GxFColor(), GxFColor(), 2);
        if (c.width == 0) {
            EXPECT_TRUE(m_Calls.quads.empty());
            continue;
        }
        ASSERT_EQ(m_Calls.quads.size(), 1u);
        const RecordingCalls::Quad& quad = m_Calls.quads[0];
        EXPECT_FLOAT_EQ(quad.points[0].x, 0);
        EXPECT_FLOAT_EQ(quad.points[0].y, 0);
        EXPECT_FLOAT_EQ(quad.points[2].x, c.width);
        EXPECT_FLOAT_EQ(quad.points[2].y, c.height);
        EXPECT_FLOAT_EQ(quad.uv.left, c.u0 / 200);
        EXPECT_FLOAT_EQ(quad.uv.top, c.v0 / 100);
        EXPECT_FLOAT_EQ(quad.uv.right, c.u1 / 200);
        EXPECT_FLOAT_EQ(quad.uv.bottom, c.v1 / 100);
    }
}

}  // namespace
}  // namespace motion_test
