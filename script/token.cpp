#include "script/token.h"

#include "foundation/content.h"
#include "foundation/wide_string.h"
#include "script/moa_names.h"

#include <bit>

namespace {

constexpr std::uint32_t kFlagInt = 1;
constexpr std::uint32_t kFlagLinks = 2;
constexpr std::uint32_t kFlagString = 4;

}  // namespace

GxMoaToken& GxMoaToken::operator=(const GxMoaToken& other)
{
    if (this != &other) {
        Assign(other);
    }
    return *this;
}

void GxMoaToken::Assign(const GxMoaToken& source)
{
    if (this == &source) {
        return;
    }
    Clear();
    m_Kind = source.m_Kind;
    m_Scope = source.m_Scope;
    m_Int = source.m_Int;
    if (source.m_Links) {
        m_Links = std::make_unique<std::array<GxMoaRunPos, kLinkCount>>(*source.m_Links);
    }
    if (source.m_Str) {
        m_Str = std::make_unique<std::u16string>(*source.m_Str);
    }
}

void GxMoaToken::Clear()
{
    m_Kind = 0;
    m_Scope = 0;
    m_Int = 0;
    m_Str.reset();
    m_Links.reset();
}

void GxMoaToken::SetString(const std::u16string& text)
{
    m_Str = std::make_unique<std::u16string>(text);
}

void GxMoaToken::EnsureLinks()
{
    if (!m_Links) {
        m_Links = std::make_unique<std::array<GxMoaRunPos, kLinkCount>>();
    }
}

GxMoaRunPos GxMoaToken::GetLink(int index) const
{
    if (!m_Links || index < 0 || index >= kLinkCount) {
        return GxMoaRunPos(0, -1);
    }
    return (*m_Links)[static_cast<std::size_t>(index)];
}

std::int32_t GxMoaToken::GetLinkLine(int index) const
{
    if (!m_Links || index < 0 || index >= kLinkCount) {
        return 0;
    }
    return (*m_Links)[static_cast<std::size_t>(index)].m_Line;
}

void GxMoaToken::SetLink(int index, const GxMoaRunPos& position)
{
    if (index < 0 || index >= kLinkCount) {
        return;
    }
    EnsureLinks();
    (*m_Links)[static_cast<std::size_t>(index)] = position;
}

std::u16string GxMoaToken::Describe() const
{
    std::u16string text;
    switch (m_Kind) {
    case MOA_TOKEN_INT: text = FormatWide(u"整数値[%I64d]", static_cast<long long>(m_Int)); break;
    case MOA_TOKEN_FLOAT: text = FormatWide(u"小数値[%f]", std::bit_cast<double>(m_Int)); break;
    case MOA_TOKEN_BUILTIN: text = u"組み込み関数名"; break;
    case MOA_TOKEN_VARIABLE: text = u"変数名"; break;
    case MOA_TOKEN_ARRAY_VARIABLE: text = u"配列変数名"; break;
    default: text = GetTokenKindName(m_Kind); break;
    }
    if (m_Str && !m_Str->empty()) {
        text += u" String:";
        text += *m_Str;
    }
    return text;
}

bool GxMoaToken::Write(GxContentWriterBase& writer) const
{
    GxBit32 flags;
    flags.m_Bits = (m_Int != 0 ? kFlagInt : 0) | (m_Links ? kFlagLinks : 0) | (m_Str ? kFlagString : 0);
    bool ok = writer.WriteBit32("m_Flags", &flags);
    ok = writer.WriteU32("m_TokenTypeAndScope", std::uint32_t{m_Kind} | (std::uint32_t{m_Scope} << 16)) && ok;
    if (flags.m_Bits & kFlagInt) {
        ok = writer.WriteS64("m_Int", m_Int) && ok;
    }
    if (m_Links) {
        for (const GxMoaRunPos& link : *m_Links) {
            ok = link.Write(writer) && ok;
        }
    }
    if (m_Str) {
        ok = writer.WriteWString("m_Str", *m_Str) && ok;
    }
    return ok && writer.GetErrorCount() == 0;
}

bool GxMoaToken::Read(GxContentReaderBase& reader)
{
    Clear();
    GxBit32 flags;
    reader.ReadBit32("m_Flags", &flags);
    std::uint32_t kindAndScope = 0;
    reader.ReadU32("m_TokenTypeAndScope", &kindAndScope);
    m_Kind = static_cast<std::uint16_t>(kindAndScope & 0xFFFF);
    m_Scope = static_cast<std::uint16_t>(kindAndScope >> 16);
    if (flags.m_Bits & kFlagInt) {
        reader.ReadS64("m_Int", &m_Int);
    }
    if (flags.m_Bits & kFlagLinks) {
        EnsureLinks();
        for (GxMoaRunPos& link : *m_Links) {
            link.Read(reader);
        }
    }
    if (flags.m_Bits & kFlagString) {
        SetString(reader.ReadWString("m_Str"));
    }
    return reader.GetErrorCount() == 0;
}
