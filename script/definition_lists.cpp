#include "script/definition_lists.h"

#include "foundation/content.h"

std::uint32_t MoaReadListCount(GxContentReaderBase& reader, const char* name)
{
    return reader.ReadBoundedListCount(name, "Moa/List %s count out of range %u\n");
}

bool MoaElementLeft(GxContentReaderBase& reader)
{
    if (reader.BytesLeft() != 0) {
        return true;
    }
    reader.CountDamage("Moa/Data ends inside a list\n");
    return false;
}

bool MoaWriteLabelList(GxContentWriterBase& writer, const GxMoaLabelMap& labels)
{
    bool ok = writer.WriteListBegin("m_pLabelDefine", "", static_cast<std::uint32_t>(labels.size()));
    for (const auto& [name, label] : labels) {
        ok = label->Write(writer) && ok;
    }
    ok = writer.WriteListEnd() && ok;
    return ok;
}

bool MoaReadLabelList(GxContentReaderBase& reader, GxMoaLabelMap& labels)
{
    const std::uint32_t count = MoaReadListCount(reader, "m_pLabelDefine");
    for (std::uint32_t i = 0; i < count && MoaElementLeft(reader); ++i) {
        auto label = std::make_unique<GxMoaLabelDefinition>();
        label->Read(reader);
        const std::u16string name = label->m_Name;
        labels.try_emplace(name, std::move(label));   // a repeated name keeps the first
    }
    reader.ReadListEnd();
    return reader.GetErrorCount() == 0;
}

bool MoaWriteVariableDefinitionList(GxContentWriterBase& writer, const std::vector<GxMoaVariableDefinition>& list)
{
    bool ok = writer.WriteListBegin("m_VariableDefine", "", static_cast<std::uint32_t>(list.size()));
    for (const GxMoaVariableDefinition& definition : list) {
        ok = definition.Write(writer) && ok;
    }
    ok = writer.WriteListEnd() && ok;
    return ok;
}

bool MoaReadVariableDefinitionList(GxContentReaderBase& reader, std::vector<GxMoaVariableDefinition>& list)
{
    const std::uint32_t count = MoaReadListCount(reader, "m_VariableDefine");
    list.clear();
    list.resize(count);
    for (GxMoaVariableDefinition& definition : list) {
        if (!MoaElementLeft(reader)) {
            break;
        }
        definition.Read(reader);
    }
    reader.ReadListEnd();
    return reader.GetErrorCount() == 0;
}
