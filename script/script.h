// GxMoaScript: one script of the compiled program: its name, its own "@" labels, its STATIC_
// variable definitions and its lines of tokens (GxMoaScriptStep), with the token-cursor walks
// over them. Lines and token positions are 0-based.
#pragma once

#include "foundation/bin_buffer.h"
#include "script/definition_lists.h"
#include "script/run_pos.h"
#include "script/token.h"

#include <cstdint>
#include <string>
#include <vector>

class GxMoa;

class GxMoaScriptStep {
public:
    // A list "m_Tokens" of token records.
    virtual bool Write(GxContentWriterBase& writer) const;
    virtual bool Read(GxContentReaderBase& reader);

    std::vector<GxMoaToken> m_Tokens;
};

class GxMoaScript {
public:
    explicit GxMoaScript(GxMoa* owner = nullptr) : m_pOwner(owner) {}
    virtual ~GxMoaScript() = default;
    GxMoaScript(const GxMoaScript&) = delete;
    GxMoaScript& operator=(const GxMoaScript&) = delete;

    // "m_ScriptName", the lists "m_pLabelDefine", "m_VariableDefine" and "m_Lines".
    virtual bool Write(GxContentWriterBase& writer) const;
    virtual bool Read(GxContentReaderBase& reader);
    void Clear();

    GxMoa* GetOwner() const { return m_pOwner; }
    std::int32_t GetLineCount() const { return static_cast<std::int32_t>(m_Lines.size()); }
    std::int32_t GetTokenCount(std::int32_t line) const;
    const GxMoaLabelDefinition* FindLabel(const std::u16string& name) const;
    const GxMoaVariableDefinition* FindVariableDefinition(const std::u16string& name) const;

    // 0 for a negative line or position, -2 for a line at or past the end, -1 for a position at
    // or past the line's end, 1 for a token; tested in that order. A null script has no lines.
    static int CheckTokenPos(const GxMoaScript* script, std::int32_t line, std::int32_t pos);
    // To the next token, over empty lines; off the end the position is (line count, 0).
    static bool AdvanceTokenPos(const GxMoaScript* script, GxMoaRunPos& position);
    static bool NextTokenInLine(const GxMoaScript* script, GxMoaRunPos& position);
    static bool PrevTokenInLine(const GxMoaScript* script, GxMoaRunPos& position);
    static void AdvanceLinePos(const GxMoaScript* script, GxMoaRunPos& position);
    // The last line in 1..line that holds a token; -1 when none (line 0 never counts).
    static std::int32_t FindLastNonEmptyLine(const GxMoaScript* script, std::int32_t line);
    // From (line, pos) to the next "{"; false at the script end.
    static bool SeekBlockOpen(const GxMoaScript* script, GxMoaRunPos& position, std::int32_t line, std::int32_t pos);

    GxMoa* m_pOwner = nullptr;
    std::u16string m_ScriptName;
    GxMoaLabelMap m_Labels;
    std::vector<GxMoaVariableDefinition> m_VariableDefines;
    std::vector<GxMoaScriptStep> m_Lines;
    GxBinBuffer m_Buffer;   // emptied with the script; not part of the program file
};
