#include "script/exec_stack_element.h"

#include "foundation/content.h"
#include "script/definition_lists.h"
#include "script/worker.h"

#include <atomic>

namespace {

std::uint64_t NextSerial()
{
    static std::atomic<std::uint64_t> s_Next{1};
    return s_Next.fetch_add(1, std::memory_order_relaxed);
}

constexpr std::size_t kOpcodeListRoom = 16;

}  // namespace

// No room yet: a frame called from a frame holds none until it evaluates, which keeps a deep
// recursion's waiting frames small.
GxMoaExecStackElement::GxMoaExecStackElement() : m_Serial(NextSerial()) {}

GxMoaExecStackElement::GxMoaExecStackElement(const GxMoaExecStackElement& other)
    : m_BlockType(other.m_BlockType),
      m_RunPos(other.m_RunPos),
      m_Variables(other.m_Variables),
      m_OpcodeList(other.m_OpcodeList),
      m_OpcodePos(other.m_OpcodePos),
      m_Serial(NextSerial())
{
}

GxMoaExecStackElement& GxMoaExecStackElement::operator=(const GxMoaExecStackElement& other)
{
    if (this != &other) {
        m_BlockType = other.m_BlockType;
        m_RunPos = other.m_RunPos;
        m_Variables = other.m_Variables;
        m_OpcodeList = other.m_OpcodeList;
        m_OpcodePos = other.m_OpcodePos;
        m_Serial = NextSerial();
    }
    return *this;
}

void GxMoaExecStackElement::ResetOpcodeList()
{
    m_OpcodeList.clear();
    m_OpcodeList.reserve(kOpcodeListRoom);
    m_OpcodePos = 0;
}

bool GxMoaExecStackElement::Write(GxContentWriterBase& writer) const
{
    bool ok = writer.WriteS32("m_BlockType", m_BlockType);
    ok = m_RunPos.Write(writer) && ok;
    ok = m_Variables.Write(writer, 0) && ok;
    ok = writer.WriteListBegin("m_OpcodeList", "", static_cast<std::uint32_t>(m_OpcodeList.size())) && ok;
    for (const GxMoaVariable& entry : m_OpcodeList) {
        ok = entry.Write(writer) && ok;
    }
    ok = writer.WriteListEnd() && ok;
    ok = writer.WriteS32("m_OpcodePos", m_OpcodePos) && ok;
    return ok;
}

bool GxMoaExecStackElement::Read(GxContentReaderBase& reader, GxMoaWorker* worker)
{
    reader.ReadS32("m_BlockType", &m_BlockType);
    m_RunPos.Read(reader);
    m_RunPos.m_pEntity = nullptr;
    if (worker != nullptr && !m_RunPos.m_ScriptName.empty()) {
        m_RunPos.m_pEntity = worker->FindScriptEntity(m_RunPos.m_ScriptName);
    }
    m_Variables.Read(reader, 0);
    ResetOpcodeList();
    const std::uint32_t count = MoaReadListCount(reader, "m_OpcodeList");
    for (std::uint32_t i = 0; i < count && MoaElementLeft(reader); ++i) {
        m_OpcodeList.emplace_back();
        m_OpcodeList.back().Read(reader);
    }
    reader.ReadListEnd();
    reader.ReadS32("m_OpcodePos", &m_OpcodePos);
    return reader.GetErrorCount() == 0;
}
