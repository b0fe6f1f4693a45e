#include "foundation/wide_string.h"

#include "platform/crt/printf.h"

#include <algorithm>

namespace {

char16_t FoldAscii(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

char16_t UpperAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

std::u16string_view UpToNul(std::u16string_view text)
{
    std::size_t nul = text.find(u'\0');
    return nul == std::u16string_view::npos ? text : text.substr(0, nul);
}

std::string_view UpToNul(std::string_view text)
{
    std::size_t nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

std::string WideToCodePage(UINT codePage, std::u16string_view text)
{
    text = UpToNul(text);
    if (text.empty() || text.size() > 0x7FFFFFFF) return {};
    int units = static_cast<int>(text.size());
    int bytes = WideCharToMultiByte(codePage, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string result(static_cast<std::size_t>(bytes), '\0');
    int written = WideCharToMultiByte(codePage, 0, text.data(), units, result.data(), bytes, nullptr, nullptr);
    if (written <= 0) return {};
    result.resize(static_cast<std::size_t>(written));
    return result;
}

std::u16string CodePageToWide(UINT codePage, std::string_view text)
{
    text = UpToNul(text);
    if (text.empty() || text.size() > 0x7FFFFFFF) return {};
    int bytes = static_cast<int>(text.size());
    int units = MultiByteToWideChar(codePage, 0, text.data(), bytes, nullptr, 0);
    if (units <= 0) return {};
    std::u16string result(static_cast<std::size_t>(units), u'\0');
    int written = MultiByteToWideChar(codePage, 0, text.data(), bytes, result.data(), units);
    if (written <= 0) return {};
    result.resize(static_cast<std::size_t>(written));
    return result;
}

// Beyond this a format that keeps reporting "did not fit" is treated as broken, not grown further.
constexpr std::size_t kMaxFormatUnits = std::size_t{1} << 26;

bool IsTrimUnit(char16_t c, int mode)
{
    if (mode >= 1 && mode <= 3) return c <= 0x20;
    return c == u'\r' || c == u'\n';
}

}  // namespace

int WideCompare(std::u16string_view a, std::u16string_view b)
{
    std::size_t count = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < count; ++i) {
        char16_t ca = FoldAscii(a[i]);
        char16_t cb = FoldAscii(b[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

int CompareWideNoCase(const char16_t* a, const char16_t* b)
{
    static const char16_t kEmpty[1] = {u'\0'};
    if (!a) a = kEmpty;
    if (!b) b = kEmpty;
    for (;; ++a, ++b) {
        int ca = FoldAscii(*a);
        int cb = FoldAscii(*b);
        if (ca != cb || ca == 0) return ca - cb;
    }
}

std::int32_t WideFind(std::u16string_view text, std::u16string_view pattern, std::int32_t start)
{
    if (start < 0) start = 0;
    std::size_t found = text.find(pattern, static_cast<std::size_t>(start));
    return found == std::u16string_view::npos ? -1 : static_cast<std::int32_t>(found);
}

std::int32_t WideFindFirstOf(std::u16string_view text, std::u16string_view set, std::int32_t start)
{
    if (start < 0) start = 0;
    std::size_t found = text.find_first_of(set, static_cast<std::size_t>(start));
    return found == std::u16string_view::npos ? -1 : static_cast<std::int32_t>(found);
}

std::int32_t WideFindLastOf(std::u16string_view text, std::u16string_view set, std::int32_t start)
{
    if (text.empty()) return -1;
    std::size_t from = start < 0 ? std::u16string_view::npos : static_cast<std::size_t>(start);
    std::size_t found = text.find_last_of(set, from);
    return found == std::u16string_view::npos ? -1 : static_cast<std::int32_t>(found);
}

std::u16string WideCharAt(std::u16string_view text, std::int32_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= text.size()) return {};
    return std::u16string(1, text[static_cast<std::size_t>(index)]);
}

std::u16string PassThroughWideString(std::u16string_view text)
{
    return std::u16string(text);
}

std::u16string WideToLowerAscii(std::u16string_view text)
{
    std::u16string result(text);
    for (char16_t& c : result) c = FoldAscii(c);
    return result;
}

std::u16string WideToUpperAscii(std::u16string_view text)
{
    std::u16string result(text);
    for (char16_t& c : result) c = UpperAscii(c);
    return result;
}

std::u16string ReplaceAllWide(std::u16string_view text, std::u16string_view from, std::u16string_view to)
{
    std::u16string result(text);
    if (from.empty()) return result;
    std::size_t pos = 0;
    while ((pos = result.find(from, pos)) != std::u16string::npos) {
        result.replace(pos, from.size(), to);
        pos += to.size();   // never rescan the inserted text, so a `to` holding `from` cannot loop
    }
    return result;
}

std::u16string TrimWide(std::u16string_view text, int mode)
{
    if (mode == 0) return std::u16string(text);
    bool leading = mode != 2;
    bool trailing = mode != 1;
    std::size_t begin = 0;
    std::size_t end = text.size();
    if (leading)
        while (begin < end && IsTrimUnit(text[begin], mode)) ++begin;
    if (trailing)
        while (end > begin && IsTrimUnit(text[end - 1], mode)) --end;
    return std::u16string(text.substr(begin, end - begin));
}

std::u16string UnquoteWide(std::u16string_view text, std::int32_t position)
{
    if (position < 0 || static_cast<std::size_t>(position) >= text.size()) return {};
    std::size_t start = static_cast<std::size_t>(position);
    char16_t quote = text[start];
    if (quote != u'"' && quote != u'\'') return std::u16string(text.substr(start));

    bool escaped = false;
    std::size_t i = start + 1;
    for (; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\\') {
            char16_t next = i + 1 < text.size() ? text[i + 1] : u'\0';
            if (next == u'"')
                escaped = !escaped;
            else if (next == u'\'' && !escaped)
                escaped = true;
            else
                escaped = false;
            continue;
        }
        if (c == quote && !escaped) break;
        escaped = false;
    }
    return std::u16string(text.substr(start + 1, i - (start + 1)));
}

char16_t* CopyWideString(char16_t* destination, const char16_t* source)
{
    char16_t* out = destination;
    while ((*out++ = *source++) != u'\0') {
    }
    return destination;
}

int SplitWide(std::vector<std::u16string>& list, std::u16string_view text, std::u16string_view separator)
{
    list.clear();
    if (separator.empty()) {
        list.emplace_back(text);
        return 1;
    }
    std::size_t begin = 0;
    for (;;) {
        std::size_t found = text.find(separator, begin);
        if (found == std::u16string_view::npos) break;
        list.emplace_back(text.substr(begin, found - begin));
        begin = found + separator.size();
    }
    list.emplace_back(text.substr(begin));
    return static_cast<int>(list.size());
}

int SplitWideFields(std::vector<std::u16string>& list, std::u16string_view text, std::u16string_view separator,
                    int n)
{
    list.clear();
    if (n <= 0) return 0;
    std::size_t begin = 0;
    bool atEnd = false;
    for (int i = 0; i < n; ++i) {
        if (atEnd) {
            list.emplace_back();
            continue;
        }
        std::size_t found = separator.empty() ? std::u16string_view::npos : text.find(separator, begin);
        if (found == std::u16string_view::npos) {
            list.emplace_back(text.substr(begin));
            atEnd = true;
        } else {
            list.emplace_back(text.substr(begin, found - begin));
            begin = found + separator.size();
        }
    }
    return n;
}

std::u16string JoinWideStrings(const std::vector<std::u16string>& list, std::u16string_view separator)
{
    std::u16string result;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i > 0) result.append(separator);
        result.append(list[i]);
    }
    return result;
}

void TrimWideAll(std::vector<std::u16string>& list, int mode)
{
    for (std::u16string& element : list) element = TrimWide(element, mode);
}

std::string WideToMultiByte(std::u16string_view text)
{
    return WideToCodePage(CP_ACP, text);
}

std::string WideToUtf8(std::u16string_view text)
{
    return WideToCodePage(CP_UTF8, text);
}

std::u16string MultiByteToWide(std::string_view text)
{
    return CodePageToWide(kTextCodePage, text);
}

std::u16string Utf8ToWide(std::string_view text)
{
    return CodePageToWide(CP_UTF8, text);
}

std::u16string FormatWideV(const char16_t* format, va_list args)
{
    if (!format) return {};
    std::u16string buffer(256, u'\0');
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int length = _vsnwprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        // The NUL must fit as well, so a text exactly as long as the buffer grows it too.
        if (length >= 0 && static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            return buffer;
        }
        if (buffer.size() >= kMaxFormatUnits) {
            buffer.resize(std::char_traits<char16_t>::length(buffer.data()));
            return buffer;
        }
        buffer.assign(buffer.size() * 2, u'\0');
    }
}

std::u16string FormatWide(const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::u16string result = FormatWideV(format, args);
    va_end(args);
    return result;
}

std::u16string FormatNarrowToWideV(const char* format, va_list args)
{
    if (!format) return {};
    std::string buffer(256, '\0');
    for (;;) {
        va_list copy;
        va_copy(copy, args);
        int length = _vsnprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        if (length >= 0 && static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            break;
        }
        if (buffer.size() >= kMaxFormatUnits) {
            buffer.resize(std::char_traits<char>::length(buffer.data()));
            break;
        }
        buffer.assign(buffer.size() * 2, '\0');
    }
    return MultiByteToWide(buffer);
}

std::u16string FormatNarrowToWide(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::u16string result = FormatNarrowToWideV(format, args);
    va_end(args);
    return result;
}

int FormatWideBufferV(char16_t* buffer, std::size_t length, const char16_t* format, va_list args)
{
    if (!buffer || length == 0) return -1;
    if (!format) {
        buffer[0] = u'\0';
        return 0;
    }
    return FormatWideTruncate(buffer, length, format, args);
}

int FormatWideBuffer(char16_t* buffer, std::size_t length, const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = FormatWideBufferV(buffer, length, format, args);
    va_end(args);
    return result;
}

std::u16string IntToWideString(std::int32_t value)
{
    return FormatWide(u"%d", value);
}

std::u16string FloatToWideString(double value)
{
    return FormatWide(u"%f", value);
}
