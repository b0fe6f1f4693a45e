#include "tests/support/motion_project_builder.h"

#include "foundation/content.h"

namespace {

void WriteKeyTail(GxContentWriterBase& w, std::uint32_t interMode, float param0, float param1, std::uint32_t selected)
{
    w.WriteU32("m_InterMode", interMode);
    w.WriteF32("m_InterParam0", param0);
    w.WriteF32("m_InterParam1", param1);
    w.WriteU32("m_Selected", selected);
}

template <typename Key, typename WriteKey>
void WriteTrack(GxContentWriterBase& w, const std::vector<Key>& keys, WriteKey writeKey)
{
    w.WriteListBegin("", "", static_cast<std::uint32_t>(keys.size()));
    for (const Key& key : keys)
        writeKey(key);
    w.WriteListEnd();
}

void WriteVector4Track(GxContentWriterBase& w, const std::vector<GxNcVector4Key>& keys)
{
    WriteTrack(w, keys, [&w](const GxNcVector4Key& k) {
        w.WriteS32("m_Time", k.m_Time);
        w.WriteVector4("m_Value", &k.m_Value);
        WriteKeyTail(w, k.m_InterMode, k.m_InterParam0, k.m_InterParam1, k.m_Selected);
    });
}

void WriteVector2Track(GxContentWriterBase& w, const std::vector<GxNcVector2Key>& keys)
{
    WriteTrack(w, keys, [&w](const GxNcVector2Key& k) {
        w.WriteS32("m_Time", k.m_Time);
        w.WriteVector2("m_Value", &k.m_Value);
        WriteKeyTail(w, k.m_InterMode, k.m_InterParam0, k.m_InterParam1, k.m_Selected);
    });
}

void WriteVertexTrack(GxContentWriterBase& w, const std::vector<GxNcVertexKey>& keys)
{
    WriteTrack(w, keys, [&w](const GxNcVertexKey& k) {
        w.WriteS32("m_Time", k.m_Time);
        for (const GxVector4& value : k.m_Value)
            w.WriteVector4("m_Value", &value);
        WriteKeyTail(w, k.m_InterMode, k.m_InterParam0, k.m_InterParam1, k.m_Selected);
        w.WriteU32("m_SelectedLocalFlags", k.m_SelectedLocalFlags);
    });
}

void WriteLayer(GxContentWriterBase& w, const GxNcLayer& l)
{
    w.WriteWString("m_LayerName", l.m_LayerName);
    w.WriteWString("m_EnumName", l.m_EnumName);
    w.WriteU32("m_LayerID", l.m_LayerID);
    w.WriteS32("m_LastTime", l.m_LastTime);
    w.WriteU32("m_LoopMode", l.m_LoopMode);
    w.WriteU32("m_LayerType", l.m_LayerType);
    w.WriteS32("m_AttachIndex", l.m_AttachIndex);
    w.WriteU32("m_VertexCount", l.m_VertexCount);
    w.WriteU32("m_EditLock", l.m_EditLock);
    w.WriteU32("m_EditVisible", l.m_EditVisible);
    w.WriteU32("m_LightEnable", l.m_LightEnable);
    w.WriteU32("m_AlphaTestEnable", l.m_AlphaTestEnable);
    w.WriteU32("m_ZWriteEnable", l.m_ZWriteEnable);
    w.WriteU32("m_ZTestEnable", l.m_ZTestEnable);
    w.WriteU32("m_StencilMode", l.m_StencilMode);
    w.WriteU32("m_StencilTestEnable", l.m_StencilTestEnable);
    w.WriteU32("m_ViewMode", l.m_ViewMode);
    w.WriteU32("m_BlendMode", l.m_BlendMode);
    w.WriteU32("m_FilterMode", l.m_FilterMode);
    w.WriteU32("m_Selected", l.m_Selected);
    w.WriteU32("m_Expanded", l.m_Expanded);

    WriteTrack(w, l.m_ImageKeys, [&w](const GxNcImageKey& k) {
        w.WriteS32("m_Time", k.m_Time);
        w.WriteWString("m_ImageSetName", k.m_ImageSetName);
        w.WriteWString("m_ImageFileName", k.m_ImageFileName);
        w.WriteWString("m_MotionGroupName", k.m_MotionGroupName);
        w.WriteWString("m_MotionName", k.m_MotionName);
        w.WriteS32("m_PatternIndex", k.m_PatternIndex);
        w.WriteS32("m_Width", k.m_Width);
        w.WriteS32("m_Height", k.m_Height);
        w.WriteS32("m_OffsetFrame", k.m_OffsetFrame);
        w.WriteU32("m_LoopMode", k.m_LoopMode);
        WriteKeyTail(w, k.m_InterMode, k.m_InterParam0, k.m_InterParam1, k.m_Selected);
    });
    WriteVector4Track(w, l.m_PositionKeys);
    WriteVector4Track(w, l.m_ScaleKeys);
    WriteVector4Track(w, l.m_RotationKeys);
    WriteVector4Track(w, l.m_PivotKeys);
    WriteVector2Track(w, l.m_ScaleFactorKeys);
    WriteTrack(w, l.m_OpacityKeys, [&w](const GxNcF32Key& k) {
        w.WriteS32("m_Time", k.m_Time);
        w.WriteF32("m_Value", k.m_Value);
        WriteKeyTail(w, k.m_InterMode, k.m_InterParam0, k.m_InterParam1, k.m_Selected);
    });
    WriteTrack(w, l.m_VisibilityKeys, [&w](const GxNcU32Key& k) {
        w.WriteS32("m_Time", k.m_Time);
        w.WriteU32("m_Value", k.m_Value);
        WriteKeyTail(w, k.m_InterMode, k.m_InterParam0, k.m_InterParam1, k.m_Selected);
    });
    WriteVertexTrack(w, l.m_VertexOffsetKeys);
    WriteVertexTrack(w, l.m_VertexColorKeys);
    WriteVector2Track(w, l.m_StoredVector2Keys);
}

void WriteStrata(GxContentWriterBase& w, const std::vector<TestNcStratum>& strata)
{
    for (const TestNcStratum& stratum : strata) {
        w.WriteTreeStratumBegin();
        w.WriteWString("m_LayerName", stratum.layerName);
        w.WriteS32("m_LayerIndex", stratum.layerIndex);
        WriteStrata(w, stratum.children);
        w.WriteTreeStratumEnd();
    }
}

void WriteMotion(GxContentWriterBase& w, const TestNcMotion& m)
{
    w.WriteWString("m_MotionName", m.motionName);
    w.WriteWString("m_EnumName", m.enumName);
    w.WriteU32("m_MotionID", m.motionID);
    w.WriteS32("m_TotalDuration", m.totalDuration);
    w.WriteS32("m_StartTime", m.startTime);
    w.WriteS32("m_PlayTime", m.playTime);
    w.WriteS32("m_EndTime", m.endTime);
    w.WriteListBegin("m_LayerList", "Layer", static_cast<std::uint32_t>(m.layers.size()));
    for (const GxNcLayer& layer : m.layers)
        WriteLayer(w, layer);
    w.WriteListEnd();
    WriteTrack(w, m.soundKeys, [&w](const GxNcSoundKey& k) {
        w.WriteS32("m_Time", k.m_Time);
        w.WriteWString("m_SoundName", k.m_SoundName);
        w.WriteU32("m_InterMode", k.m_InterMode);
        w.WriteU32("m_Selected", k.m_Selected);
    });
    for (const std::vector<GxNcEventKey>& track : m.eventKeys) {
        WriteTrack(w, track, [&w](const GxNcEventKey& k) {
            w.WriteS32("m_Time", k.m_Time);
            w.WriteS32("m_EventID", k.m_EventID);
            w.WriteU32("m_AfterCallFlag", k.m_AfterCallFlag);
            w.WriteWString("m_Param", k.m_Param);
            WriteKeyTail(w, k.m_InterMode, k.m_InterParam0, k.m_InterParam1, k.m_Selected);
        });
    }
    w.WriteTreeBegin("m_LayerTree", "LayerTree");
    WriteStrata(w, m.tree);
    w.WriteTreeEnd();
}

}  // namespace

std::string BuildMotionProject(const TestNcProjectSpec& spec, TestContentForm form)
{
    return WriteContentBytes(form, [&spec, form](GxContentWriterBase& w) {
        w.WriteHeader(form == TestContentForm::kText ? "TNCPROJ" : "BNCPROJ", spec.version);
        w.WriteWString("m_ProjectName", spec.projectName);
        static const char* const kCounters[9] = {"m_IssuableMotionID",  "m_IssuableLayerID",
                                                 "m_IssuableMotionGroupID", "m_IssuableActorID",
                                                 "m_IssuableStageID",   "m_IssuableReserveID0",
                                                 "m_IssuableReserveID1", "m_IssuableReserveID2",
                                                 "m_IssuableReserveID3"};
        for (int i = 0; i < 9; ++i)
            w.WriteU32(kCounters[i], spec.issuableIDs[static_cast<std::size_t>(i)]);
        w.WriteListBegin("m_MotionGroupList", "MotionGroup", static_cast<std::uint32_t>(spec.groups.size()));
        for (const TestNcMotionGroup& group : spec.groups) {
            w.WriteWString("m_MotionGroupName", group.motionGroupName);
            w.WriteWString("m_EnumName", group.enumName);
            w.WriteU32("m_MotionGroupID", group.motionGroupID);
            w.WriteListBegin("m_MotionList", "Motion", static_cast<std::uint32_t>(group.motions.size()));
            for (const TestNcMotion& motion : group.motions)
                WriteMotion(w, motion);
            w.WriteListEnd();
        }
        w.WriteListEnd();
        w.WriteListBegin("m_StageList", "Stage", spec.stageCount);
        w.WriteListEnd();
        w.WriteListBegin("m_ImageSetFileNameList", "FileName",
                         static_cast<std::uint32_t>(spec.imageSetFileNames.size()));
        for (const std::u16string& name : spec.imageSetFileNames)
            w.WriteWString("m_FileName", name);
        w.WriteListEnd();
    });
}

bool WriteMotionProjectFile(const std::string& path, const TestNcProjectSpec& spec, TestContentForm form)
{
    return WriteBytesFile(path, BuildMotionProject(spec, form));
}

GxNcLayer ImageLayer(const std::u16string& name, const std::u16string& imageSetName, const std::u16string& imageFile)
{
    GxNcLayer layer;
    layer.m_LayerName = name;
    GxNcImageKey key;
    key.m_ImageSetName = imageSetName;
    key.m_ImageFileName = imageFile;
    layer.m_ImageKeys.push_back(key);
    return layer;
}
