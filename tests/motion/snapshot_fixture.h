// Shared pieces of the snapshot and drawing tests: motions built in memory (layers, keys, a
// bound layer tree), an origin image with patterns in one atlas whose texture is a stand-in
// with a fixed size, and a recorder of the graphics calls that motion drawing makes.
#pragma once

#include "graphics/texture.h"
#include "motion/crammed_image_set.h"
#include "motion/nc_graphics_calls.h"
#include "motion/nc_project.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace motion_test {

// A texture of a fixed size that needs no device.
class SizedTexture : public GxTexture {
public:
    SizedTexture(float width, float height) : m_W(width), m_H(height) {}
    float GetU(float x) const override { return x / m_W; }
    float GetV(float y) const override { return y / m_H; }

private:
    float m_W;
    float m_H;
};

// One atlas of 200 x 100 and an origin image; patterns are added by the test.
struct TestOrigin {
    TestOrigin()
    {
        atlas.m_pTexture = &texture;
        image.m_FileName = u"face.png";
    }
    ~TestOrigin() { atlas.m_pTexture = nullptr; }   // the texture is not the factory's

    GxNcPattern& AddPattern(std::int32_t offsetLeft, std::int32_t offsetTop, std::int32_t width, std::int32_t height,
                            std::int32_t atlasLeft = 0, std::int32_t atlasTop = 0)
    {
        GxNcPattern pattern;
        pattern.m_CrammedImageIndex = 0;
        pattern.m_CrammedOffsetLeft = offsetLeft;
        pattern.m_CrammedOffsetTop = offsetTop;
        pattern.m_CrammedLeft = atlasLeft;
        pattern.m_CrammedTop = atlasTop;
        pattern.m_CrammedWidth = width;
        pattern.m_CrammedHeight = height;
        pattern.m_CrammedRawUV = GxFRect{atlasLeft / 200.0f, atlasTop / 100.0f, (atlasLeft + width) / 200.0f,
                                         (atlasTop + height) / 100.0f};
        pattern.m_pCrammedImage = &atlas;
        image.m_PatternArray.push_back(pattern);
        return image.m_PatternArray.back();
    }

    SizedTexture texture{200.0f, 100.0f};
    GxNcCrammedImage atlas;
    GxNcOriginImage image;
};

// A project of one group "g"; motions and layers are added by the test.
class TestScene {
public:
    GxNcMotion& AddMotion(const std::u16string& name, std::int32_t endTime = 100)
    {
        if (m_Project.m_MotionGroupList.empty()) {
            m_Project.m_MotionGroupList.push_back(std::make_unique<GxNcMotionGroup>());
            m_Project.m_MotionGroupList.back()->m_MotionGroupName = u"g";
        }
        auto motion = std::make_unique<GxNcMotion>();
        motion->m_MotionName = name;
        motion->m_EndTime = endTime;
        m_Project.m_MotionGroupList.back()->m_MotionList.push_back(std::move(motion));
        return *m_Project.m_MotionGroupList.back()->m_MotionList.back();
    }

    static GxNcLayer& AddLayer(GxNcMotion& motion, const std::u16string& name)
    {
        motion.m_LayerList.push_back(std::make_unique<GxNcLayer>());
        motion.m_LayerList.back()->m_LayerName = name;
        return *motion.m_LayerList.back();
    }

    // A layer showing pattern `index` of `origin` from time 0.
    static GxNcLayer& AddPatternLayer(GxNcMotion& motion, const std::u16string& name, TestOrigin& origin,
                                      std::int32_t index = 0)
    {
        GxNcLayer& layer = AddLayer(motion, name);
        GxNcImageKey key;
        key.m_ImageSetName = u"set.gis";
        key.m_ImageFileName = origin.image.m_FileName;
        key.m_PatternIndex = index;
        key.m_pOriginImage = &origin.image;
        layer.m_ImageKeys.push_back(key);
        return layer;
    }

    // A layer showing motion `nested` of group "g" from time `time`.
    static GxNcLayer& AddNestingLayer(GxNcMotion& motion, const std::u16string& name, const std::u16string& nested,
                                      std::int32_t time = 0, std::int32_t offsetFrame = 0)
    {
        GxNcLayer& layer = AddLayer(motion, name);
        GxNcImageKey key;
        key.m_Time = time;
        key.m_OffsetFrame = offsetFrame;
        key.m_MotionGroupName = u"g";
        key.m_MotionName = nested;
        layer.m_ImageKeys.push_back(key);
        return layer;
    }

    // A tree node for `name` as the last child of `parent` (the last top-level node without one).
    static GxNcLayerNode* AddNode(GxNcMotion& motion, GxNcLayerNode* parent, const std::u16string& name)
    {
        auto* node = new GxNcLayerNode;
        node->m_LayerName = name;
        GxSimpleNode* last = parent != nullptr ? parent->m_FirstChild : motion.m_LayerTree.GetRoot();
        while (last != nullptr && last->m_NextSibling != nullptr)
            last = last->m_NextSibling;
        if (last != nullptr)
            motion.m_LayerTree.InsertAfter(last, node, 1);
        else if (parent != nullptr)
            motion.m_LayerTree.InsertFirstChild(parent, node, 1);
        else
            motion.m_LayerTree.SetRoot(node, 1);
        return node;
    }

    // One top-level node per layer, bound.
    static void FlatTree(GxNcMotion& motion)
    {
        for (const auto& layer : motion.m_LayerList)
            AddNode(motion, nullptr, layer->m_LayerName);
        Bind(motion);
    }

    static void Bind(GxNcMotion& motion)
    {
        BindNcLayerTree(motion, static_cast<GxNcLayerNode*>(motion.m_LayerTree.GetRoot()));
    }

    GxNcProject m_Project;
};

inline GxNcVector4Key Vector4Key(std::int32_t time, float x, float y, float z = 0.0f, float w = 0.0f,
                                 std::uint32_t mode = 1)
{
    GxNcVector4Key key;
    key.m_Time = time;
    key.m_Value = GxVector4(x, y, z, w);
    key.m_InterMode = mode;
    return key;
}

// Every graphics call of motion and pattern drawing, with the states set before it.
class RecordingCalls : public GxNcGraphicsCalls {
public:
    struct Quad {
        bool layerQuad = false;   // DrawNcLayerQuad; else DrawQuad2D
        GxTextureBase* texture = nullptr;
        std::array<GxVector3, 5> points{};
        std::array<GxVector2, 5> uvs{};
        GxFRect uv;
        std::array<D3DCOLOR, 5> diffuse{};
        std::array<D3DCOLOR, 5> specular{};
        GxVector2 uvOffset;
        std::int32_t preset = -1;
        D3DTEXTUREFILTERTYPE filter = D3DTEXF_NONE;
        DWORD cull = 0;
    };

    RecordingCalls() { m_Previous = SetNcGraphicsCalls(this); }
    ~RecordingCalls() override { SetNcGraphicsCalls(m_Previous); }

    void SetTextureFilter(D3DTEXTUREFILTERTYPE filter) override { m_Filter = filter; }
    void SetCullMode(DWORD mode) override { m_Cull = mode; }
    void DrawNcLayerQuad(GxTextureBase* texture, const GxVector3 points[5], const GxVector2 uvs[5],
                         const D3DCOLOR diffuse[5], const D3DCOLOR specular[5], const GxVector2& uvOffset,
                         std::int32_t preset) override
    {
        Quad quad = Start(texture, preset);
        quad.layerQuad = true;
        for (std::size_t k = 0; k < 5; ++k) {
            quad.points[k] = points[k];
            quad.uvs[k] = uvs[k];
            quad.diffuse[k] = diffuse[k];
            quad.specular[k] = specular[k];
        }
        quad.uvOffset = uvOffset;
        quads.push_back(quad);
    }
    void DrawQuad2D(GxTextureBase* texture, const GxVector2 corners[4], const GxFRect& uv, const D3DCOLOR diffuse[4],
                    const D3DCOLOR specular[4], std::int32_t preset) override
    {
        Quad quad = Start(texture, preset);
        for (std::size_t k = 0; k < 4; ++k) {
            quad.points[k] = GxVector3(corners[k].x, corners[k].y, 0.0f);
            quad.diffuse[k] = diffuse[k];
            quad.specular[k] = specular[k];
        }
        quad.uv = uv;
        quads.push_back(quad);
    }

    std::vector<Quad> quads;

private:
    Quad Start(GxTextureBase* texture, std::int32_t preset) const
    {
        Quad quad;
        quad.texture = texture;
        quad.preset = preset;
        quad.filter = m_Filter;
        quad.cull = m_Cull;
        return quad;
    }

    GxNcGraphicsCalls* m_Previous = nullptr;
    D3DTEXTUREFILTERTYPE m_Filter = D3DTEXF_NONE;
    DWORD m_Cull = 0;
};

}  // namespace motion_test
