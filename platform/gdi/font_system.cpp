#include "platform/gdi/font_system.h"

#include "platform/win32/codepage.h"
#include "platform/win32/user_log.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>

namespace platform::gdi {

namespace {

enum class AliasKind { None, Gothic, Mincho };

// The Japanese system faces, folded; the empty name is the default face.
constexpr std::array<std::u16string_view, 6> kGothicNames = {u"", u"msゴシック", u"mspゴシック", u"msgothic",
                                                             u"mspgothic", u"msuigothic"};
constexpr std::array<std::u16string_view, 4> kMinchoNames = {u"ms明朝", u"msp明朝", u"msmincho", u"mspmincho"};

AliasKind FindAlias(std::u16string_view folded)
{
    for (std::u16string_view name : kGothicNames)
        if (folded == name) return AliasKind::Gothic;
    for (std::u16string_view name : kMinchoNames)
        if (folded == name) return AliasKind::Mincho;
    return AliasKind::None;
}

struct PatternDeleter {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

}  // namespace

void FreeTypeLibraryDeleter::operator()(FT_LibraryRec_* library) const { FT_Done_FreeType(library); }
void FontConfigDeleter::operator()(_FcConfig* config) const { FcConfigDestroy(config); }

std::u16string FoldFaceName(std::u16string_view name)
{
    std::u16string folded;
    folded.reserve(name.size());
    for (char16_t unit : name) {
        if (unit >= 0xFF01 && unit <= 0xFF5E) unit = static_cast<char16_t>(unit - 0xFEE0);
        if (unit == 0x3000) unit = u' ';
        if (unit == u' ' || unit == u'\t') continue;
        if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit - u'A' + u'a');
        folded.push_back(unit);
    }
    return folded;
}

FontSystem& FontSystem::Get()
{
    static FontSystem system;
    return system;
}

FontSystem::FontSystem()
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0 || !library)
        LogUserError("GDI: FreeType cannot start; no font can be made");
    else
        m_Library.reset(library);
    m_Config.reset(FcInitLoadConfigAndFonts());
    if (!m_Config) LogUserError("GDI: fontconfig cannot load its configuration; no face can be found");
}

FontSystem::~FontSystem()
{
    // Faces before the library that made them.
    m_Resolved.clear();
    m_Faces.clear();
}

bool FontSystem::MatchFamily(const std::string& family, Match& match)
{
    if (!m_Config) return false;
    PatternPtr pattern(FcPatternCreate());
    if (!pattern) return false;
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    if (!FcConfigSubstitute(m_Config.get(), pattern.get(), FcMatchPattern)) return false;
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr found(FcFontMatch(m_Config.get(), pattern.get(), &result));
    if (!found) return false;
    FcChar8* file = nullptr;
    if (FcPatternGetString(found.get(), FC_FILE, 0, &file) != FcResultMatch || !file) return false;
    match.path = reinterpret_cast<const char*>(file);
    int index = 0;
    if (FcPatternGetInteger(found.get(), FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    match.index = index;
    FcLangSet* languages = nullptr;
    match.hasJapanese = FcPatternGetLangSet(found.get(), FC_LANG, 0, &languages) == FcResultMatch && languages &&
                        FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>("ja")) != FcLangDifferentLang;
    return true;
}

std::shared_ptr<FontFace> FontSystem::OpenFace(const Match& match)
{
    const auto key = std::make_pair(match.path, match.index);
    auto found = m_Faces.find(key);
    if (found != m_Faces.end()) return found->second;
    std::shared_ptr<FontFace> face = FontFace::Open(m_Library.get(), match.path, match.index);
    if (face) m_Faces.emplace(key, face);
    return face;
}

std::shared_ptr<FontFace> FontSystem::Resolve(std::u16string_view faceName, bool needJapanese)
{
    if (!m_Library || !m_Config) return nullptr;
    const std::u16string folded = FoldFaceName(faceName);
    const AliasKind alias = FindAlias(folded);
    if (alias != AliasKind::None) needJapanese = true;
    const auto key = std::make_pair(folded, needJapanese);
    auto cached = m_Resolved.find(key);
    if (cached != m_Resolved.end()) return cached->second;

    std::string family;
    switch (alias) {
    case AliasKind::Gothic: family = "sans-serif"; break;
    case AliasKind::Mincho: family = "serif"; break;
    case AliasKind::None: family = Utf16ToUtf8(faceName); break;
    }
    Match match;
    if (!MatchFamily(family, match)) {
        LogUserError("GDI: fontconfig finds no face for \"%s\"", Utf16ToUtf8(faceName).c_str());
        return nullptr;
    }
    if (needJapanese && !match.hasJapanese) {
        Match japanese;
        if (MatchFamily("sans-serif", japanese) && japanese.hasJapanese) {
            match = japanese;
        } else if (!m_NoJapaneseLogged) {
            m_NoJapaneseLogged = true;
            LogUserError("GDI: no Japanese font is installed; Japanese text will not show");
        }
    }
    std::shared_ptr<FontFace> face = OpenFace(match);
    if (face) m_Resolved.emplace(key, face);
    return face;
}

}  // namespace platform::gdi
