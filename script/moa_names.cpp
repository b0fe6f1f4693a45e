#include "script/moa_names.h"

#include <array>

namespace {

constexpr std::array<const char16_t*, 80> kTokenKindNames = {
    u"未定義", u"組み込み関数名", u"不明文字列", u"整数値", u"小数値", u"文字列", u"NULL", u"ラベル宣言",
    u"テキスト", u"変数名", u"配列変数名", u"&変数名", u"&配列変数名", u"ARRAY", u"コマンド開始",
    u"ブレークポイント", u"ヒアドキュメント終端", u"スクリプト終端", u"DEFINE", u"BUILTIN", nullptr,
    u"STATIC", u"GLOBAL", u"EXTERN", u"NOSAVE", u"INGAME", u"PERMAN", u"IF", u"ELSE", u"WHILE", u"FOR",
    u"DO", u"CONTINUE", u"BREAK", u";", u",", u"{", u"}", u"[", u"]", u"(", u")", u"==", u"!=", u">", u">=",
    u"<", u"<=", u"+", u":", u"-", u"*", u"/", u"%", u"単項+", u"単項-", u"&", u"|", u"^", u"~", u"<<",
    u">>", u"!", u"&&", u"||", u"++単項", u"--単項", u"単項++", u"単項--", u"=", u"+=", u":=", u"-=", u"*=",
    u"/=", u"%=", u"&=", u"|=", u"^=", u"?",
};

constexpr std::array<const char16_t*, 52> kOpcodeNames = {
    u"NONE", u"セパレータ", u"PUSH_INT", u"PUSH_FLT", u"PUSH_STR", u"PUSH_NULL", u"PUSH_VAR",
    u"PUSH_VARARY", u"OPC_ALTER_VAR", u"OPC_ALTER_VARARY", u"CALL_BUILTIN", u"ELEMENT", u"ELEMENTNUM",
    u"ARRAYINIT", u"ARRAYINDEX", u"==", u"!=", u">", u">=", u"<", u"<=", u"+", u":", u"-", u"*", u"/",
    u"%", u"単項+", u"単項-", u"&", u"|", u"^", u"単項~", u"<<", u">>", u"単項!", u"&&", u"||", u"++単項",
    u"--単項", u"単項++", u"単項--", u"=", u"+=", u":=", u"-=", u"*=", u"/=", u"%=", u"&=", u"|=", u"^=",
};

constexpr std::array<const char16_t*, 11> kScopeNames = {
    u"NONE",          u"LOCAL",         u"STATIC_PERMAN", u"STATIC_INGAME", u"STATIC_NOSAVE", u"GLOBAL_PERMAN",
    u"GLOBAL_INGAME", u"GLOBAL_NOSAVE", u"EXTERN_PERMAN", u"EXTERN_INGAME", u"EXTERN_NOSAVE",
};

template <std::size_t N>
std::u16string Lookup(const std::array<const char16_t*, N>& table, std::int32_t index, const char16_t* other)
{
    if (index < 0 || static_cast<std::size_t>(index) >= N || table[static_cast<std::size_t>(index)] == nullptr) {
        return other;
    }
    return table[static_cast<std::size_t>(index)];
}

}  // namespace

std::u16string GetTokenKindName(std::int32_t kind) { return Lookup(kTokenKindNames, kind, u"**不明トークン**"); }
std::u16string GetOpcodeName(std::int32_t opcode) { return Lookup(kOpcodeNames, opcode, u"ERROR"); }
std::u16string GetScopeName(std::int32_t scope) { return Lookup(kScopeNames, scope, u"ERROR"); }
