// What every GDI font shares: the FreeType library, the fontconfig configuration, the opened
// faces and the face-name resolutions, and the one lock that every GDI call runs under
// (FreeType objects are not thread-safe).
#pragma once

#include "platform/gdi/font_face.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

struct FT_LibraryRec_;
struct _FcConfig;

namespace platform::gdi {

struct FreeTypeLibraryDeleter {
    void operator()(FT_LibraryRec_* library) const;
};
struct FontConfigDeleter {
    void operator()(_FcConfig* config) const;
};

// A face name folded for comparison: full-width ASCII and the ideographic space made
// half-width, ASCII letters lower-cased, spaces dropped ("ＭＳ ゴシック" -> "msゴシック").
std::u16string FoldFaceName(std::u16string_view name);

class FontSystem {
public:
    static FontSystem& Get();

    std::mutex& Mutex() { return m_Mutex; }

    // Under the lock. The face a font named `faceName` is drawn with; `needJapanese` passes
    // over faces without Japanese for the installed Japanese gothic. Null (with a log line)
    // when FreeType or fontconfig is missing or the matched file cannot be opened.
    std::shared_ptr<FontFace> Resolve(std::u16string_view faceName, bool needJapanese);
    FT_LibraryRec_* Library() const { return m_Library.get(); }

    ~FontSystem();

private:
    FontSystem();

    struct Match {
        std::string path;
        int index = 0;
        bool hasJapanese = false;
    };
    bool MatchFamily(const std::string& family, Match& match);
    std::shared_ptr<FontFace> OpenFace(const Match& match);

    std::mutex m_Mutex;
    std::unique_ptr<FT_LibraryRec_, FreeTypeLibraryDeleter> m_Library;
    std::unique_ptr<_FcConfig, FontConfigDeleter> m_Config;
    std::map<std::pair<std::string, int>, std::shared_ptr<FontFace>> m_Faces;
    std::map<std::pair<std::u16string, bool>, std::shared_ptr<FontFace>> m_Resolved;
    bool m_NoJapaneseLogged = false;
};

}  // namespace platform::gdi
