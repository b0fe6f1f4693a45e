#include "motion/nc_project.h"

#include "foundation/bin_buffer.h"
#include "foundation/content.h"
#include "foundation/content_binary.h"
#include "foundation/content_text.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "motion/list_count.h"

#include <memory>

// Sections: loading | element readers | layer tree | track readers | lookups

namespace {

// Fewest stored bytes of one element (a type byte per value at least), for reservations.
constexpr std::uint32_t kImageKeyBytes = 14;
constexpr std::uint32_t kValueKeyBytes = 6;
constexpr std::uint32_t kVertexKeyBytes = 11;
constexpr std::uint32_t kSoundKeyBytes = 4;
constexpr std::uint32_t kEventKeyBytes = 8;

// A track: an unnamed list of keys with no framing, read with `readKey` into fresh records.
template <typename Key, typename ReadKey>
void ReadTrack(GxContentReaderBase& reader, std::vector<Key>& keys, std::uint32_t minimumBytes, ReadKey readKey)
{
    const std::uint32_t count = ReadListCount(reader, "");
    keys.reserve(keys.size() + ReservableCount(reader, count, minimumBytes));
    for (std::uint32_t i = 0; i < count; ++i) {
        reader.ReadListElementBegin();
        Key key;
        readKey(key);
        keys.push_back(std::move(key));
        reader.ReadListElementEnd();
    }
    reader.ReadListEnd();
}

template <typename T>
void ReadKeyTail(GxContentReaderBase& reader, GxNcValueKey<T>& key)
{
    reader.ReadU32("m_InterMode", &key.m_InterMode);
    reader.ReadF32("m_InterParam0", &key.m_InterParam0);
    reader.ReadF32("m_InterParam1", &key.m_InterParam1);
    reader.ReadU32("m_Selected", &key.m_Selected);
}

}  // namespace

// ---- loading -----------------------------------------------------------------------------------

GxNcProject::~GxNcProject()
{
    Clear();
}

void GxNcProject::Clear()
{
    m_ProjectName.clear();
    m_StageList.clear();
    m_MotionGroupList.clear();
}

bool GxNcProject::Load(const std::u16string& path, std::vector<std::u16string>& imageSetFileNames)
{
    GxBinBuffer buffer;
    GxFile::ReadWholeFile(buffer, path, false, false);   // a missing file fails the header below
    return LoadFromBuffer(buffer, imageSetFileNames);
}

bool GxNcProject::LoadFromBuffer(const GxBinBuffer& buffer, std::vector<std::u16string>& imageSetFileNames)
{
    std::unique_ptr<GxContentReaderBase> reader;
    const char* header = nullptr;
    if (buffer.GetFirstByte() == 'T') {
        reader = std::make_unique<GxContentTextReader>(buffer, true);
        reader->SetNameCheck(1);
        header = "TNCPROJ";
    } else {
        reader = std::make_unique<GxContentBinaryReader>(buffer, true);
        header = "BNCPROJ";
    }
    std::uint32_t version = 0;   // any version is read
    if (!reader->ReadHeader(header, &version))
        return false;

    reader->ReadWString("m_ProjectName", m_ProjectName);
    reader->ReadU32("m_IssuableMotionID", &m_IssuableMotionID);
    reader->ReadU32("m_IssuableLayerID", &m_IssuableLayerID);
    reader->ReadU32("m_IssuableMotionGroupID", &m_IssuableMotionGroupID);
    reader->ReadU32("m_IssuableActorID", &m_IssuableActorID);
    reader->ReadU32("m_IssuableStageID", &m_IssuableStageID);
    reader->ReadU32("m_IssuableReserveID0", &m_IssuableReserveID0);
    reader->ReadU32("m_IssuableReserveID1", &m_IssuableReserveID1);
    reader->ReadU32("m_IssuableReserveID2", &m_IssuableReserveID2);
    reader->ReadU32("m_IssuableReserveID3", &m_IssuableReserveID3);

    const std::uint32_t groupCount = ReadListCount(*reader, "m_MotionGroupList");
    for (std::uint32_t i = 0; i < groupCount; ++i) {
        reader->ReadListElementBegin();
        auto group = std::make_unique<GxNcMotionGroup>();
        ReadMotionGroup(*reader, *group);
        m_MotionGroupList.push_back(std::move(group));
        reader->ReadListElementEnd();
    }
    reader->ReadListEnd();

    // Stages store nothing; the count alone makes the records.
    const std::uint32_t stageCount = ReadListCount(*reader, "m_StageList");
    for (std::uint32_t i = 0; i < stageCount; ++i) {
        reader->ReadListElementBegin();
        m_StageList.emplace_back();
        reader->ReadListElementEnd();
    }
    reader->ReadListEnd();

    ReadImageSetFileNames(*reader, imageSetFileNames);
    return true;
}

// ---- element readers ---------------------------------------------------------------------------

bool GxNcProject::ReadMotionGroup(GxContentReaderBase& reader, GxNcMotionGroup& group)
{
    if (reader.GetErrorCount() != 0)
        return false;
    reader.ReadWString("m_MotionGroupName", group.m_MotionGroupName);
    reader.ReadWString("m_EnumName", group.m_EnumName);
    reader.ReadU32("m_MotionGroupID", &group.m_MotionGroupID);
    const std::uint32_t count = ReadListCount(reader, "m_MotionList");
    for (std::uint32_t i = 0; i < count; ++i) {
        reader.ReadListElementBegin();
        auto motion = std::make_unique<GxNcMotion>();
        ReadMotion(reader, *motion);
        group.m_MotionList.push_back(std::move(motion));
        reader.ReadListElementEnd();
    }
    reader.ReadListEnd();
    return reader.GetErrorCount() == 0;
}

bool GxNcProject::ReadMotion(GxContentReaderBase& reader, GxNcMotion& motion)
{
    if (reader.GetErrorCount() != 0)
        return false;
    reader.ReadWString("m_MotionName", motion.m_MotionName);
    reader.ReadWString("m_EnumName", motion.m_EnumName);
    reader.ReadU32("m_MotionID", &motion.m_MotionID);
    reader.ReadS32("m_TotalDuration", &motion.m_TotalDuration);
    reader.ReadS32("m_StartTime", &motion.m_StartTime);
    reader.ReadS32("m_PlayTime", &motion.m_PlayTime);
    reader.ReadS32("m_EndTime", &motion.m_EndTime);
    const std::uint32_t count = ReadListCount(reader, "m_LayerList");
    for (std::uint32_t i = 0; i < count; ++i) {
        reader.ReadListElementBegin();
        auto layer = std::make_unique<GxNcLayer>();
        ReadLayer(reader, *layer);
        motion.m_LayerList.push_back(std::move(layer));
        reader.ReadListElementEnd();
    }
    reader.ReadListEnd();
    if (reader.GetErrorCount() != 0)
        return false;

    ReadSoundKeys(reader, motion.m_SoundKeys);
    for (std::vector<GxNcEventKey>& track : motion.m_EventKeys)
        ReadEventKeys(reader, track);

    reader.ReadTreeBegin("m_LayerTree");
    if (reader.PeekValueType() == VALTYPE_TreeStratumBegin)
        ReadLayerTree(reader, motion.m_LayerTree, nullptr);
    reader.ReadTreeEnd();
    BindNcLayerTree(motion, static_cast<GxNcLayerNode*>(motion.m_LayerTree.GetRoot()));
    return reader.GetErrorCount() == 0;
}

bool GxNcProject::ReadLayer(GxContentReaderBase& reader, GxNcLayer& layer)
{
    if (reader.GetErrorCount() != 0)
        return false;
    reader.ReadWString("m_LayerName", layer.m_LayerName);
    reader.ReadWString("m_EnumName", layer.m_EnumName);
    reader.ReadU32("m_LayerID", &layer.m_LayerID);
    reader.ReadS32("m_LastTime", &layer.m_LastTime);
    reader.ReadU32("m_LoopMode", &layer.m_LoopMode);
    reader.ReadU32("m_LayerType", &layer.m_LayerType);
    reader.ReadS32("m_AttachIndex", &layer.m_AttachIndex);
    reader.ReadU32("m_VertexCount", &layer.m_VertexCount);
    reader.ReadU32("m_EditLock", &layer.m_EditLock);
    reader.ReadU32("m_EditVisible", &layer.m_EditVisible);
    reader.ReadU32("m_LightEnable", &layer.m_LightEnable);
    reader.ReadU32("m_AlphaTestEnable", &layer.m_AlphaTestEnable);
    reader.ReadU32("m_ZWriteEnable", &layer.m_ZWriteEnable);
    reader.ReadU32("m_ZTestEnable", &layer.m_ZTestEnable);
    reader.ReadU32("m_StencilMode", &layer.m_StencilMode);
    reader.ReadU32("m_StencilTestEnable", &layer.m_StencilTestEnable);
    reader.ReadU32("m_ViewMode", &layer.m_ViewMode);
    reader.ReadU32("m_BlendMode", &layer.m_BlendMode);
    reader.ReadU32("m_FilterMode", &layer.m_FilterMode);
    reader.ReadU32("m_Selected", &layer.m_Selected);
    reader.ReadU32("m_Expanded", &layer.m_Expanded);
    if (reader.GetErrorCount() != 0)
        return false;

    ReadImageKeys(reader, layer.m_ImageKeys);
    ReadVector4Keys(reader, layer.m_PositionKeys);
    ReadVector4Keys(reader, layer.m_ScaleKeys);
    ReadVector4Keys(reader, layer.m_RotationKeys);
    ReadVector4Keys(reader, layer.m_PivotKeys);
    ReadVector2Keys(reader, layer.m_ScaleFactorKeys);
    ReadF32Keys(reader, layer.m_OpacityKeys);
    ReadU32Keys(reader, layer.m_VisibilityKeys);
    ReadVertexKeys(reader, layer.m_VertexOffsetKeys);
    ReadVertexKeys(reader, layer.m_VertexColorKeys);
    ReadVector2Keys(reader, layer.m_StoredVector2Keys);
    return true;
}

void GxNcProject::ReadImageSetFileNames(GxContentReaderBase& reader, std::vector<std::u16string>& names)
{
    const std::uint32_t count = ReadListCount(reader, "m_ImageSetFileNameList");
    for (std::uint32_t i = 0; i < count; ++i) {
        reader.ReadListElementBegin();
        std::u16string name;
        reader.ReadWString("m_FileName", name);
        names.push_back(std::move(name));
        reader.ReadListElementEnd();
    }
    reader.ReadListEnd();
}

// ---- layer tree --------------------------------------------------------------------------------

// Read without recursion: a damaged file may nest strata as deep as it has bytes. Each level
// is one run of siblings; a child run's result is not consulted, the outermost run's is returned.
bool GxNcProject::ReadLayerTree(GxContentReaderBase& reader, GxSimpleTree& tree, GxNcLayerNode* parent)
{
    struct Level {
        GxNcLayerNode* node;
        bool valuesRead;
    };
    std::vector<Level> levels;
    // A run's first node, inserted before its stratum begin is read (it stays when that fails).
    auto openRun = [&](GxNcLayerNode* under) {
        auto* node = new GxNcLayerNode;
        if (under != nullptr)
            tree.InsertFirstChild(under, node, 1);
        else
            tree.SetRoot(node, 1);
        if (!reader.ReadTreeStratumBegin())
            return false;
        levels.push_back(Level{node, false});
        return true;
    };

    if (!openRun(parent))
        return false;
    bool result = false;
    while (!levels.empty()) {
        Level& level = levels.back();
        if (!level.valuesRead) {
            level.valuesRead = true;
            reader.ReadWString("m_LayerName", level.node->m_LayerName);
            reader.ReadS32("m_LayerIndex", &level.node->m_LayerIndex);
            if (reader.PeekValueType() == VALTYPE_TreeStratumBegin) {
                openRun(level.node);   // invalidates `level`; this level resumes below next time
                continue;
            }
        }
        bool ok = reader.ReadTreeStratumEnd();
        if (ok && reader.PeekValueType() == VALTYPE_TreeStratumBegin) {
            auto* next = new GxNcLayerNode;
            tree.InsertAfter(level.node, next, 1);
            if (reader.ReadTreeStratumBegin()) {
                level.node = next;
                level.valuesRead = false;
                continue;
            }
            ok = false;
        }
        result = ok;
        levels.pop_back();
    }
    return result;
}

void BindNcLayerTree(GxNcMotion& motion, GxNcLayerNode* node)
{
    // Each node before its children, its children before its next sibling; no recursion, as
    // the tree may be as deep as a damaged file makes it.
    std::vector<GxSimpleNode*> pending;
    if (node != nullptr)
        pending.push_back(node);
    while (!pending.empty()) {
        auto* current = static_cast<GxNcLayerNode*>(pending.back());
        pending.pop_back();
        current->m_LayerIndex = FindLayerByName(motion.m_LayerList, current->m_LayerName, &current->m_pLayer);
        if (current->m_LayerIndex < 0)
            LogPrint(u"LayerNotFound:%s\n", current->m_LayerName.c_str());
        if (current->m_NextSibling != nullptr)
            pending.push_back(current->m_NextSibling);
        if (current->m_FirstChild != nullptr)
            pending.push_back(current->m_FirstChild);
    }
}

// ---- track readers -----------------------------------------------------------------------------

void GxNcProject::ReadImageKeys(GxContentReaderBase& reader, std::vector<GxNcImageKey>& keys)
{
    ReadTrack(reader, keys, kImageKeyBytes, [&reader](GxNcImageKey& key) {
        reader.ReadS32("m_Time", &key.m_Time);
        reader.ReadWString("m_ImageSetName", key.m_ImageSetName);
        reader.ReadWString("m_ImageFileName", key.m_ImageFileName);
        reader.ReadWString("m_MotionGroupName", key.m_MotionGroupName);
        reader.ReadWString("m_MotionName", key.m_MotionName);
        reader.ReadS32("m_PatternIndex", &key.m_PatternIndex);
        reader.ReadS32("m_Width", &key.m_Width);
        reader.ReadS32("m_Height", &key.m_Height);
        reader.ReadS32("m_OffsetFrame", &key.m_OffsetFrame);
        reader.ReadU32("m_LoopMode", &key.m_LoopMode);
        reader.ReadU32("m_InterMode", &key.m_InterMode);
        reader.ReadF32("m_InterParam0", &key.m_InterParam0);
        reader.ReadF32("m_InterParam1", &key.m_InterParam1);
        reader.ReadU32("m_Selected", &key.m_Selected);
    });
}

void GxNcProject::ReadVector4Keys(GxContentReaderBase& reader, std::vector<GxNcVector4Key>& keys)
{
    ReadTrack(reader, keys, kValueKeyBytes, [&reader](GxNcVector4Key& key) {
        reader.ReadS32("m_Time", &key.m_Time);
        reader.ReadVector4("m_Value", &key.m_Value);
        ReadKeyTail(reader, key);
    });
}

void GxNcProject::ReadVector2Keys(GxContentReaderBase& reader, std::vector<GxNcVector2Key>& keys)
{
    ReadTrack(reader, keys, kValueKeyBytes, [&reader](GxNcVector2Key& key) {
        reader.ReadS32("m_Time", &key.m_Time);
        reader.ReadVector2("m_Value", &key.m_Value);
        ReadKeyTail(reader, key);
    });
}

void GxNcProject::ReadF32Keys(GxContentReaderBase& reader, std::vector<GxNcF32Key>& keys)
{
    ReadTrack(reader, keys, kValueKeyBytes, [&reader](GxNcF32Key& key) {
        reader.ReadS32("m_Time", &key.m_Time);
        reader.ReadF32("m_Value", &key.m_Value);
        ReadKeyTail(reader, key);
    });
}

void GxNcProject::ReadU32Keys(GxContentReaderBase& reader, std::vector<GxNcU32Key>& keys)
{
    ReadTrack(reader, keys, kValueKeyBytes, [&reader](GxNcU32Key& key) {
        reader.ReadS32("m_Time", &key.m_Time);
        reader.ReadU32("m_Value", &key.m_Value);
        ReadKeyTail(reader, key);
    });
}

void GxNcProject::ReadVertexKeys(GxContentReaderBase& reader, std::vector<GxNcVertexKey>& keys)
{
    ReadTrack(reader, keys, kVertexKeyBytes, [&reader](GxNcVertexKey& key) {
        reader.ReadS32("m_Time", &key.m_Time);
        for (GxVector4& value : key.m_Value)
            reader.ReadVector4("m_Value", &value);
        reader.ReadU32("m_InterMode", &key.m_InterMode);
        reader.ReadF32("m_InterParam0", &key.m_InterParam0);
        reader.ReadF32("m_InterParam1", &key.m_InterParam1);
        reader.ReadU32("m_Selected", &key.m_Selected);
        reader.ReadU32("m_SelectedLocalFlags", &key.m_SelectedLocalFlags);
    });
}

void GxNcProject::ReadSoundKeys(GxContentReaderBase& reader, std::vector<GxNcSoundKey>& keys)
{
    ReadTrack(reader, keys, kSoundKeyBytes, [&reader](GxNcSoundKey& key) {
        reader.ReadS32("m_Time", &key.m_Time);
        reader.ReadWString("m_SoundName", key.m_SoundName);
        reader.ReadU32("m_InterMode", &key.m_InterMode);
        reader.ReadU32("m_Selected", &key.m_Selected);
    });
}

void GxNcProject::ReadEventKeys(GxContentReaderBase& reader, std::vector<GxNcEventKey>& keys)
{
    ReadTrack(reader, keys, kEventKeyBytes, [&reader](GxNcEventKey& key) {
        reader.ReadS32("m_Time", &key.m_Time);
        reader.ReadS32("m_EventID", &key.m_EventID);
        reader.ReadU32("m_AfterCallFlag", &key.m_AfterCallFlag);
        reader.ReadWString("m_Param", key.m_Param);
        reader.ReadU32("m_InterMode", &key.m_InterMode);
        reader.ReadF32("m_InterParam0", &key.m_InterParam0);
        reader.ReadF32("m_InterParam1", &key.m_InterParam1);
        reader.ReadU32("m_Selected", &key.m_Selected);
    });
}

// ---- lookups -----------------------------------------------------------------------------------

std::int32_t FindLayerByName(const std::vector<std::unique_ptr<GxNcLayer>>& layers, const std::u16string& name,
                             GxNcLayer** layer)
{
    for (std::size_t i = 0; i < layers.size(); ++i) {
        if (layers[i]->m_LayerName == name) {
            if (layer != nullptr)
                *layer = layers[i].get();
            return static_cast<std::int32_t>(i);
        }
    }
    if (layer != nullptr)
        *layer = nullptr;
    return -1;
}

GxNcMotion* GxFindNamePair(GxNcProject& project, const std::u16string& groupName, const std::u16string& motionName)
{
    for (const auto& group : project.m_MotionGroupList) {
        if (group->m_MotionGroupName != groupName)
            continue;
        for (const auto& motion : group->m_MotionList) {
            if (motion->m_MotionName == motionName)
                return motion.get();
        }
        return nullptr;   // only the first group of that name counts
    }
    return nullptr;
}
