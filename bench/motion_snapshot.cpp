// Cost of showing a layered motion: building its snapshot (Create) and drawing it (Draw) every
// frame, beside drawing the same quads directly with DrawNcLayerQuad from precomputed points,
// coordinates and colours of the same frames, the reference measured in the same run ("x_direct"
// is Create + Draw over the direct drawing, fastest batch of 20 frames each). The motion: 64 layers in a three-level tree
// (1 + 7 + 56), every one of the eleven tracks keyed (8 keys each, linear and curve modes), each
// layer a 32 x 32 pattern of one atlas, drawn into a 1024 x 768 target on the headless device.
//   CreateAndDraw   a snapshot rebuilt and drawn per frame
//   CreateOnly      the rebuild alone ("us_per_layer")
//   DirectDraw      the 64 quads drawn directly
#include "graphics/draw2d.h"
#include "graphics/graphics.h"
#include "graphics/texture.h"
#include "motion/crammed_image_set.h"
#include "motion/nc_motion_snapshot.h"
#include "motion/nc_project.h"
#include "tests/support/test_device.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kLayers = 64;
constexpr int kKeys = 8;
constexpr int kEndTime = 240;

// The tests' headless device, made as the engine makes it.
class BenchDevice : public TestDevice {
public:
    bool IsReady() const { return Created(); }
};

// The project, its atlas and the render target, for one benchmark run.
class Scene {
public:
    Scene()
    {
        m_Target.CreateRenderTarget(u"bench_motion_target", 1024, 768, D3DFMT_A8R8G8B8);
        m_Texture.CreateTexture(u"bench_motion_atlas", 256, 256, D3DFMT_A8R8G8B8, 1);
        m_Atlas.m_pTexture = &m_Texture;
        m_Image.m_FileName = u"parts.png";
        for (int i = 0; i < kLayers; ++i) {
            GxNcPattern pattern;
            pattern.m_CrammedImageIndex = 0;
            pattern.m_CrammedLeft = (i % 8) * 32;
            pattern.m_CrammedTop = (i / 8) * 32;
            pattern.m_CrammedWidth = pattern.m_CrammedHeight = 32;
            pattern.m_Width = pattern.m_Height = 32;
            pattern.m_CenterPosX = pattern.m_CenterPosY = 16.0f;
            pattern.m_CrammedRawUV = GxFRect{pattern.m_CrammedLeft / 256.0f, pattern.m_CrammedTop / 256.0f,
                                             (pattern.m_CrammedLeft + 32) / 256.0f, (pattern.m_CrammedTop + 32) / 256.0f};
            pattern.m_pCrammedImage = &m_Atlas;
            m_Image.m_PatternArray.push_back(pattern);
        }
        BuildMotion();
    }
    ~Scene() { m_Atlas.m_pTexture = nullptr; }   // not the texture factory's

    GxNcProject m_Project;
    GxNcMotion* m_pMotion = nullptr;
    GxTexture m_Target;
    GxTexture m_Texture;
    GxNcCrammedImage m_Atlas;
    GxNcOriginImage m_Image;

private:
    template <typename Key, typename Fill>
    static void Keys(std::vector<Key>& keys, Fill fill)
    {
        for (int k = 0; k < kKeys; ++k) {
            Key key;
            key.m_Time = k * (kEndTime / kKeys);
            key.m_InterMode = static_cast<std::uint32_t>(1 + k % 4);   // linear and the three curves
            key.m_InterParam0 = 0.25f;
            fill(key, k);
            keys.push_back(key);
        }
    }

    void BuildMotion()
    {
        m_Project.m_MotionGroupList.push_back(std::make_unique<GxNcMotionGroup>());
        GxNcMotionGroup& group = *m_Project.m_MotionGroupList.back();
        group.m_MotionGroupName = u"bench";
        group.m_MotionList.push_back(std::make_unique<GxNcMotion>());
        m_pMotion = group.m_MotionList.back().get();
        m_pMotion->m_MotionName = u"dance";
        m_pMotion->m_EndTime = kEndTime;
        for (int i = 0; i < kLayers; ++i) {
            auto layer = std::make_unique<GxNcLayer>();
            layer->m_LayerName = u"part" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) +
                                 std::u16string(1, static_cast<char16_t>(u'0' + i / 26));
            layer->m_LoopMode = 1;
            const float spread = i == 0 ? 0.0f : 40.0f;
            Keys(layer->m_ImageKeys, [&](GxNcImageKey& key, int k) {
                key.m_ImageSetName = u"parts.gis";
                key.m_ImageFileName = m_Image.m_FileName;
                key.m_PatternIndex = (i + k) % kLayers;
                key.m_pOriginImage = &m_Image;
            });
            Keys(layer->m_PositionKeys, [&](GxNcVector4Key& key, int k) {
                key.m_Value = GxVector4(spread * static_cast<float>((i + k) % 5 - 2), spread * static_cast<float>(k % 3 - 1), 0, 0);
            });
            Keys(layer->m_ScaleKeys, [](GxNcVector4Key& key, int k) {
                key.m_Value = GxVector4(1.0f + 0.05f * k, 1.0f - 0.03f * k, 1, 1);
            });
            Keys(layer->m_RotationKeys, [](GxNcVector4Key& key, int k) { key.m_Value = GxVector4(0, 0, 10.0f * k, 0); });
            Keys(layer->m_PivotKeys, [](GxNcVector4Key& key, int k) { key.m_Value = GxVector4(2.0f * k, 1, 0, 0); });
            Keys(layer->m_ScaleFactorKeys, [](GxNcVector2Key& key, int k) { key.m_Value = GxVector2(1, 1.0f + 0.01f * k); });
            Keys(layer->m_OpacityKeys, [](GxNcF32Key& key, int k) { key.m_Value = 1.0f - 0.05f * k; });
            Keys(layer->m_VisibilityKeys, [](GxNcU32Key& key, int) { key.m_Value = 1; });
            Keys(layer->m_VertexOffsetKeys, [](GxNcVertexKey& key, int k) {
                key.m_Value.fill(GxVector4(0.5f * k, -0.5f * k, 0, 0));
            });
            Keys(layer->m_VertexColorKeys, [](GxNcVertexKey& key, int k) {
                key.m_Value.fill(GxVector4(1.0f, 1.0f - 0.1f * k, 0.5f + 0.05f * k, 1.0f));
            });
            Keys(layer->m_StoredVector2Keys, [](GxNcVector2Key& key, int k) { key.m_Value = GxVector2(float(k), 0); });
            m_pMotion->m_LayerList.push_back(std::move(layer));
        }
        // 1 root, 7 under it, 8 under each of those.
        auto node = [this](int index) {
            auto* n = new GxNcLayerNode;
            n->m_LayerName = m_pMotion->m_LayerList[static_cast<std::size_t>(index)]->m_LayerName;
            return n;
        };
        GxSimpleTree& tree = m_pMotion->m_LayerTree;
        GxNcLayerNode* root = node(0);
        tree.SetRoot(root, 1);
        int next = 1;
        GxSimpleNode* previousMiddle = nullptr;
        for (int m = 0; m < 7; ++m) {
            GxNcLayerNode* middle = node(next++);
            if (previousMiddle == nullptr)
                tree.InsertFirstChild(root, middle, 1);
            else
                tree.InsertAfter(previousMiddle, middle, 1);
            previousMiddle = middle;
            GxSimpleNode* previousLeaf = nullptr;
            for (int l = 0; l < 8; ++l) {
                GxNcLayerNode* leaf = node(next++);
                if (previousLeaf == nullptr)
                    tree.InsertFirstChild(middle, leaf, 1);
                else
                    tree.InsertAfter(previousLeaf, leaf, 1);
                previousLeaf = leaf;
            }
        }
        BindNcLayerTree(*m_pMotion, root);
    }
};

GxMatrix World()
{
    GxMatrix world;
    world.SetTranslationXYZ(512.0f, 384.0f, 0.0f);
    return world;
}

// The 64 quads of one built snapshot, ready for DrawNcLayerQuad.
struct DirectQuads {
    explicit DirectQuads(const GxNcMotionSnapShotEx& snapshot)
    {
        for (const GxNcLayerSnapShotEx& record : snapshot.m_Layers) {
            Quad quad;
            for (std::size_t k = 0; k < 5; ++k) {
                quad.points[k] = GxVector3(record.m_Points[k].x, record.m_Points[k].y, record.m_Points[k].z);
                quad.uvs[k] = record.m_UVs[k];
                quad.diffuse[k] = ColorToArgb(record.m_Colors[k]);
                quad.specular[k] = 0;
            }
            quads.push_back(quad);
        }
    }
    void Draw(GxTextureBase* texture) const
    {
        for (const Quad& quad : quads)
            DrawNcLayerQuad(texture, quad.points, quad.uvs, quad.diffuse, quad.specular, GxVector2(0, 0), kBlendAlpha);
    }
    struct Quad {
        GxVector3 points[5];
        GxVector2 uvs[5];
        D3DCOLOR diffuse[5];
        D3DCOLOR specular[5];
    };
    std::vector<Quad> quads;
};

// Seconds per call of `body`, fastest of several batches.
template <typename Body>
double Fastest(Body body, int batches = 7, int perBatch = 20)
{
    double best = 1e30;
    for (int b = 0; b < batches; ++b) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < perBatch; ++i)
            body(i);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count() / perBatch);
    }
    return best;
}

void CreateFrame(Scene& scene, GxNcMotionSnapShotEx& snapshot, const GxMatrix& world, int frame)
{
    snapshot.Create(&scene.m_Project, scene.m_pMotion, frame % kEndTime, GxVector4(), &world, GxFColor(), 4);
}

void DrawFrame(const GxNcMotionSnapShotEx& snapshot)
{
    GxNcMotionSnapShotEx::Draw(&snapshot, GxMatrix(), 1.0f, GxFColor(), GxFColor(0, 0, 0, 0), 2, 0);
}

// Runs `mode` (0 Create + Draw, 1 Create only, 2 direct drawing) with the reference beside it.
void Run(benchmark::State& state, int mode)
{
    BenchDevice device;
    if (!device.IsReady()) {
        state.SkipWithError("no device");
        return;
    }
    {
        Scene scene;
        const GxMatrix world = World();
        GxNcMotionSnapShotEx snapshot;
        // The reference draws exactly the quads that the snapshot gives at the same frame.
        std::vector<DirectQuads> direct;
        for (int frame = 0; frame < kEndTime; ++frame) {
            CreateFrame(scene, snapshot, world, frame);
            direct.emplace_back(snapshot);
        }
        GxGraphics::PushRenderTarget(0, &scene.m_Target, nullptr, nullptr);
        BeginSceneNested();

        const double directSeconds = Fastest([&](int i) { direct[static_cast<std::size_t>(i)].Draw(&scene.m_Texture); });
        const double createDrawSeconds = Fastest([&](int i) {
            CreateFrame(scene, snapshot, world, i);
            DrawFrame(snapshot);
        });
        const double createSeconds = Fastest([&](int i) { CreateFrame(scene, snapshot, world, i); }, 7, 200);

        int frame = 0;
        for (auto _ : state) {
            if (mode != 2)
                CreateFrame(scene, snapshot, world, frame++);
            if (mode == 0)
                DrawFrame(snapshot);
            else if (mode == 2)
                direct[static_cast<std::size_t>(frame++ % kEndTime)].Draw(&scene.m_Texture);
            benchmark::ClobberMemory();
        }
        EndSceneNested();
        GxGraphics::PopRenderTarget(0);
        state.counters["x_direct"] = createDrawSeconds / directSeconds;
        state.counters["us_per_layer_create"] = createSeconds * 1e6 / kLayers;
        state.SetItemsProcessed(state.iterations() * kLayers);
    }
}

void CreateAndDraw(benchmark::State& state) { Run(state, 0); }
void CreateOnly(benchmark::State& state) { Run(state, 1); }
void DirectDraw(benchmark::State& state) { Run(state, 2); }

}  // namespace

BENCHMARK(CreateAndDraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(CreateOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(DirectDraw)->Unit(benchmark::kMicrosecond);
