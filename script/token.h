// GxMoaToken: one compiled token of a script line: kind and scope (packed as kind | scope << 16
// in the program file), a 64-bit number, an optional text and four optional links to other
// positions of the same script (jump targets of blocks).
#pragma once

#include "script/run_pos.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class GxMoaToken {
public:
    static constexpr int kLinkCount = 4;

    // A default token is the script end (kind 17).
    GxMoaToken() = default;
    GxMoaToken(const GxMoaToken& other) { Assign(other); }
    GxMoaToken& operator=(const GxMoaToken& other);
    GxMoaToken(GxMoaToken&&) noexcept = default;
    GxMoaToken& operator=(GxMoaToken&&) noexcept = default;
    virtual ~GxMoaToken() = default;

    virtual bool Write(GxContentWriterBase& writer) const;
    virtual bool Read(GxContentReaderBase& reader);

    void Assign(const GxMoaToken& source);
    // Kind 0 (not the script end), no number, text or links.
    void Clear();
    void SetString(const std::u16string& text);
    void ClearString() { m_Str.reset(); }
    bool HasString() const { return m_Str != nullptr; }
    std::u16string GetString() const { return m_Str ? *m_Str : std::u16string(); }

    // Gives the token four links at (0, -1) when it has none yet.
    void EnsureLinks();
    bool HasLinks() const { return m_Links != nullptr; }
    GxMoaRunPos GetLink(int index) const;
    std::int32_t GetLinkLine(int index) const;
    void SetLink(int index, const GxMoaRunPos& position);

    // The text of the token for messages: its kind (with the literal's value) and its string.
    std::u16string Describe() const;

    std::uint16_t m_Kind = 17;
    std::uint16_t m_Scope = 0;
    std::int64_t m_Int = 0;

private:
    std::unique_ptr<std::u16string> m_Str;
    std::unique_ptr<std::array<GxMoaRunPos, kLinkCount>> m_Links;
};
