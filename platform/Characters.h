#pragma once

#include <algorithm>
#include <string>
#include <string_view>

// Character classes as the game's files and the system's words use them: ASCII only and independent of the
// C library's locale, so that every build and code page agrees. File names fold case as NameCase.h says.

inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A blank as the game's readers skip it.
inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
inline constexpr char kBlanks[] = " \t\r\n\v\f";

// One or more digits and nothing else.
inline bool IsWholeNumber(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

inline char LowerCase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string LowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return LowerCase(c); });
    return text;
}
