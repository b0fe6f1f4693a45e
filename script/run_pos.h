// Positions in a script: GxMoaRunPos (line and token index; -1 stands before the first token)
// and GxMoaScriptPos, which adds the script's name and the entity it runs in.
#pragma once

#include <cstdint>
#include <string>

class GxContentReaderBase;
class GxContentWriterBase;
class GxMoaScriptEntity;

class GxMoaRunPos {
public:
    GxMoaRunPos() = default;
    GxMoaRunPos(std::int32_t line, std::int32_t pos) : m_Line(line), m_Pos(pos) {}
    virtual ~GxMoaRunPos() = default;
    GxMoaRunPos(const GxMoaRunPos&) = default;
    GxMoaRunPos& operator=(const GxMoaRunPos&) = default;

    // "m_Line", "m_Pos"; the read does not reset the fields first.
    virtual bool Write(GxContentWriterBase& writer) const;
    virtual bool Read(GxContentReaderBase& reader);

    bool operator==(const GxMoaRunPos& other) const { return m_Line == other.m_Line && m_Pos == other.m_Pos; }

    std::int32_t m_Line = 0;
    std::int32_t m_Pos = -1;
};

class GxMoaScriptPos : public GxMoaRunPos {
public:
    // "m_Line", "m_Pos", "m_ScriptName"; the read starts from (0, -1), no entity, no name.
    bool Write(GxContentWriterBase& writer) const override;
    bool Read(GxContentReaderBase& reader) override;

    GxMoaScriptEntity* m_pEntity = nullptr;   // not owned, not stored
    std::u16string m_ScriptName;
};
