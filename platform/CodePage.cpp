#include "CodePage.h"

#include <algorithm>
#include <array>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

namespace
{

// Unicode of the bytes 0x80 to 0x9F; the unassigned ones keep their own value.
constexpr std::array<char16_t, 32> kHighBytes{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t UnicodeOf(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHighBytes[byte - 0x80] : byte;
}

std::optional<char> Windows1252Of(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < kHighBytes.size(); ++i)
        if (kHighBytes[i] == c)
            return static_cast<char>(0x80 + i);
    return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80)
    {
        out += static_cast<char>(c);
        return;
    }
    if (c < 0x800)
    {
        out += static_cast<char>(0xC0 | (c >> 6));
    }
    else
    {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (c & 0x3F));
}

// Decodes the character at pos and moves past it; nothing for anything but well-formed UTF-8.
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    const std::size_t length = lead < 0x80   ? 1
                               : lead < 0xC0 ? 0
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF8 ? 4
                                             : 0;
    if (length == 0)
        return std::nullopt;
    // The smallest value each length may carry; anything below is an overlong form.
    constexpr std::array<char32_t, 5> kSmallest{0, 0, 0x80, 0x800, 0x10000};
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    if (length > text.size() - pos)
        return std::nullopt;
    for (std::size_t i = 1; i < length; ++i)
    {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return std::nullopt;
    pos += length;
    return c;
}

} // namespace

#ifdef _WIN32

std::optional<std::string> AnsiFromUtf16(std::u16string_view text, unsigned codePage)
{
    return AnsiFromWide(std::wstring(text.begin(), text.end()), codePage);
}

std::optional<std::string> AnsiFromWide(std::wstring_view wide, unsigned codePage)
{
    if (wide.empty())
        return std::string();
    const int wideLength = static_cast<int>(wide.size());
    // The UTF-8 code page takes neither flags nor a default character: the call fails with them.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* const replacement = utf8 ? nullptr : "?";
    const int size =
        WideCharToMultiByte(codePage, flags, wide.data(), wideLength, nullptr, 0, replacement, nullptr);
    if (size <= 0)
        return std::nullopt;
    std::string result(static_cast<std::size_t>(size), '\0');
    if (WideCharToMultiByte(codePage, flags, wide.data(), wideLength, result.data(), size, replacement,
                            nullptr) != size)
        return std::nullopt;
    return result;
}

std::optional<std::string> AnsiFromUtf16(std::u16string_view text)
{
    return AnsiFromUtf16(text, GetACP());
}

std::size_t FindLastBackslash(std::string_view text, unsigned codePage)
{
    std::size_t last = std::string_view::npos;
    // From the start: only there is it known which bytes begin a character.
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\\')
            last = i;
        else if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[i])))
            ++i;
    return last;
}

std::size_t FindLastBackslash(std::string_view text)
{
    return FindLastBackslash(text, GetACP());
}

std::wstring WideFromAnsi(std::string_view text, unsigned codePage)
{
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), size);
    return wide;
}

std::string CodePagePath(std::string_view utf8Path)
{
    return AnsiFromWide(WideFromAnsi(utf8Path, CP_UTF8), GetACP()).value_or(std::string(utf8Path));
}

#else

std::optional<std::string> AnsiFromUtf16(std::u16string_view text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char16_t c = text[i];
        // A surrogate pair is one character, and none beyond the first plane is in the code page.
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            ++i;
        result += Windows1252Of(c).value_or('?');
    }
    return result;
}

// Windows-1252 has no double-byte characters.
std::size_t FindLastBackslash(std::string_view text)
{
    return text.rfind('\\');
}

std::string CodePagePath(std::string_view utf8Path)
{
    return std::string(utf8Path);
}

#endif

bool EndsInBackslash(std::string_view text)
{
    return !text.empty() && FindLastBackslash(text) == text.size() - 1;
}

char16_t Utf16FromWindows1252(char c)
{
    return static_cast<char16_t>(UnicodeOf(static_cast<unsigned char>(c)));
}

std::string Utf8FromWindows1252(std::string_view text)
{
    std::string result;
    for (const char byte : text)
        AppendUtf8(result, UnicodeOf(static_cast<unsigned char>(byte)));
    return result;
}

std::optional<std::string> Windows1252FromUtf8(std::string_view text)
{
    std::string result;
    for (std::size_t pos = 0; pos < text.size();)
    {
        const auto c = NextUtf8(text, pos);
        if (!c)
            return std::nullopt;
        const auto byte = Windows1252Of(*c);
        if (!byte)
            return std::nullopt;
        result += *byte;
    }
    return result;
}

bool HoldsUnspellableLetter(std::string_view path)
{
#ifdef _WIN32
    return path.find('?') != std::string_view::npos;
#else
    (void)path;
    return false;
#endif
}

std::string SystemTextFromCodePage(std::string_view text)
{
#ifdef _WIN32
    return std::string(text);
#else
    return Utf8FromWindows1252(text);
#endif
}

std::optional<std::string> CodePageFromSystemText(std::string_view text)
{
#ifdef _WIN32
    return std::string(text);
#else
    return Windows1252FromUtf8(text);
#endif
}
