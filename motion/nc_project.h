// A motion project: the document of the engine's layered 2D keyframe animation, read from a
// ".gnc" file (text or binary content form). A project holds motion groups, a group motions, a
// motion layers with a layer tree, a sound track and four event tracks, and a layer its drawing
// settings and eleven key tracks. Every list keeps the file's order; records own what they hold.
// The engine only reads these files.
#pragma once

#include "foundation/simple_tree.h"
#include "motion/nc_key.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class GxBinBuffer;
class GxContentReaderBase;

class GxNcLayer {
public:
    std::u16string m_LayerName;   // what tree nodes find the layer by, compared exactly
    std::u16string m_EnumName;
    std::uint32_t m_LayerID = 0;
    std::int32_t m_LastTime = 0;
    std::uint32_t m_LoopMode = 0;
    std::uint32_t m_LayerType = 0;   // 1 and 2 are not drawn
    std::int32_t m_AttachIndex = -1;
    std::uint32_t m_VertexCount = 5;
    std::uint32_t m_EditLock = 0;
    std::uint32_t m_EditVisible = 1;
    std::uint32_t m_LightEnable = 1;
    std::uint32_t m_AlphaTestEnable = 0;
    std::uint32_t m_ZWriteEnable = 0;
    std::uint32_t m_ZTestEnable = 0;
    std::uint32_t m_ViewMode = 0;
    std::uint32_t m_BlendMode = 1;
    std::uint32_t m_FilterMode = 1;
    std::uint32_t m_StencilMode = 0;         // stored before m_ViewMode in the file
    std::uint32_t m_StencilTestEnable = 0;   // likewise
    std::uint32_t m_Selected = 0;
    std::uint32_t m_Expanded = 0;

    // The eleven tracks, in file order.
    std::vector<GxNcImageKey> m_ImageKeys;
    std::vector<GxNcVector4Key> m_PositionKeys;
    std::vector<GxNcVector4Key> m_ScaleKeys;
    std::vector<GxNcVector4Key> m_RotationKeys;   // degrees about X, then Y, then Z
    std::vector<GxNcVector4Key> m_PivotKeys;
    std::vector<GxNcVector2Key> m_ScaleFactorKeys;
    std::vector<GxNcF32Key> m_OpacityKeys;
    std::vector<GxNcU32Key> m_VisibilityKeys;
    std::vector<GxNcVertexKey> m_VertexOffsetKeys;
    std::vector<GxNcVertexKey> m_VertexColorKeys;
    std::vector<GxNcVector2Key> m_StoredVector2Keys;   // kept, never evaluated
};

// A node of a motion's layer tree, bound to the layer of its name after the motion is read.
class GxNcLayerNode : public GxSimpleNode {
public:
    std::u16string m_LayerName;
    std::int32_t m_LayerIndex = -1;       // position in the motion's m_LayerList; -1: no such layer
    GxNcLayer* m_pLayer = nullptr;        // not owned
};

class GxNcMotion {
public:
    std::u16string m_MotionName;
    std::u16string m_EnumName;
    std::uint32_t m_MotionID = 0;
    std::int32_t m_TotalDuration = 0;
    std::int32_t m_StartTime = 0;
    std::int32_t m_PlayTime = 0;
    std::int32_t m_EndTime = 0;   // the period at which the tracks wrap
    GxSimpleTree m_LayerTree;     // of GxNcLayerNode
    std::vector<std::unique_ptr<GxNcLayer>> m_LayerList;
    std::vector<GxNcSoundKey> m_SoundKeys;
    std::array<std::vector<GxNcEventKey>, 4> m_EventKeys;
};

class GxNcMotionGroup {
public:
    std::u16string m_MotionGroupName;
    std::u16string m_EnumName;
    std::uint32_t m_MotionGroupID = 0;
    std::vector<std::unique_ptr<GxNcMotion>> m_MotionList;
};

// The file stores nothing for a stage; one empty record stands for each element of its list.
class GxNcStage {};

class GxNcProject {
public:
    GxNcProject() = default;
    virtual ~GxNcProject();

    GxNcProject(const GxNcProject&) = delete;
    GxNcProject& operator=(const GxNcProject&) = delete;

    // Reads the ".gnc" file at `path` (folder and extension included) and appends its image-set
    // file names to `imageSetFileNames`. True once the header was accepted; damaged values after
    // it leave defaults (the reader logs them). Callers load into an empty project.
    bool Load(const std::u16string& path, std::vector<std::u16string>& imageSetFileNames);
    // As Load, over the file's bytes (what Load's file read feeds).
    bool LoadFromBuffer(const GxBinBuffer& buffer, std::vector<std::u16string>& imageSetFileNames);
    // Empties the name, the motion groups and the stages; the counters stay.
    void Clear();

    std::u16string m_ProjectName;
    std::vector<std::unique_ptr<GxNcMotionGroup>> m_MotionGroupList;
    std::vector<GxNcStage> m_StageList;
    // The authoring tool's next identifiers, each kind in its own block; kept as read.
    std::uint32_t m_IssuableMotionID = 200000000;
    std::uint32_t m_IssuableLayerID = 100000000;
    std::uint32_t m_IssuableMotionGroupID = 400000000;
    std::uint32_t m_IssuableActorID = 500000000;
    std::uint32_t m_IssuableStageID = 600000000;
    std::uint32_t m_IssuableReserveID0 = 700000000;
    std::uint32_t m_IssuableReserveID1 = 800000000;
    std::uint32_t m_IssuableReserveID2 = 900000000;
    std::uint32_t m_IssuableReserveID3 = 1000000000;

    // Element readers: each returns at once, reading nothing, once the reader has counted an
    // error; the record is appended by the caller whatever they return.
    static bool ReadMotionGroup(GxContentReaderBase& reader, GxNcMotionGroup& group);
    static bool ReadMotion(GxContentReaderBase& reader, GxNcMotion& motion);
    static bool ReadLayer(GxContentReaderBase& reader, GxNcLayer& layer);
    // One run of sibling strata (with their children) under `parent`, or at the top without one.
    static bool ReadLayerTree(GxContentReaderBase& reader, GxSimpleTree& tree, GxNcLayerNode* parent);
    static void ReadImageSetFileNames(GxContentReaderBase& reader, std::vector<std::u16string>& names);

    // Track readers: failures show in the reader's error count only.
    static void ReadImageKeys(GxContentReaderBase& reader, std::vector<GxNcImageKey>& keys);
    static void ReadVector4Keys(GxContentReaderBase& reader, std::vector<GxNcVector4Key>& keys);
    static void ReadVector2Keys(GxContentReaderBase& reader, std::vector<GxNcVector2Key>& keys);
    static void ReadF32Keys(GxContentReaderBase& reader, std::vector<GxNcF32Key>& keys);
    static void ReadU32Keys(GxContentReaderBase& reader, std::vector<GxNcU32Key>& keys);
    static void ReadVertexKeys(GxContentReaderBase& reader, std::vector<GxNcVertexKey>& keys);
    static void ReadSoundKeys(GxContentReaderBase& reader, std::vector<GxNcSoundKey>& keys);
    static void ReadEventKeys(GxContentReaderBase& reader, std::vector<GxNcEventKey>& keys);
};

// The position of the first layer named `name` exactly, and the layer (when `layer` is given);
// -1 and null when none has the name.
std::int32_t FindLayerByName(const std::vector<std::unique_ptr<GxNcLayer>>& layers, const std::u16string& name,
                             GxNcLayer** layer = nullptr);
// Binds `node`, each node after it in its run of siblings and all their children to the
// motion's layers of their names, each node before its children; "LayerNotFound" for a name
// no layer has.
void BindNcLayerTree(GxNcMotion& motion, GxNcLayerNode* node);
// The first motion `motionName` of the first group `groupName` (both exact), or null.
GxNcMotion* GxFindNamePair(GxNcProject& project, const std::u16string& groupName, const std::u16string& motionName);
