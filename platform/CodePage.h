#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Texts are 8-bit in the system code page. Where a portable choice is needed it is Windows-1252;
// its five unassigned bytes map to the C1 controls of the same value, so every byte round-trips.

// 8-bit text in the system code page from UTF-16; a character that does not fit becomes "?".
// The system code page on Windows, Windows-1252 elsewhere. Nothing when the system cannot convert it.
std::optional<std::string> AnsiFromUtf16(std::u16string_view text);

// Where the last backslash character of a text in the system code page stands, or npos: in a double-byte
// code page the second byte of a character may be the byte of a backslash.
std::size_t FindLastBackslash(std::string_view text);
bool EndsInBackslash(std::string_view text);

#ifdef _WIN32
// The same in the code page given, for any code page the system can be set to; CP_UTF8 gives UTF-8.
std::optional<std::string> AnsiFromUtf16(std::u16string_view text, unsigned codePage);
std::optional<std::string> AnsiFromWide(std::wstring_view text, unsigned codePage);
std::size_t FindLastBackslash(std::string_view text, unsigned codePage);

// UTF-16 from 8-bit text in the code page given, CP_UTF8 among them; bytes that are no character in it
// become U+FFFD.
std::wstring WideFromAnsi(std::string_view text, unsigned codePage);
#endif

// A Windows path never holds "?": there it stands for a letter that the conversion from UTF-16 could not
// spell in the code page. Elsewhere "?" is a letter like any other.
bool HoldsUnspellableLetter(std::string_view path);

// The UTF-16 unit of a Windows-1252 character; every one is a single unit.
char16_t Utf16FromWindows1252(char c);

// A native path that the system gave in UTF-8, as the program's texts spell it: on Windows in the system
// code page, where a character it lacks becomes "?"; elsewhere as it stands.
std::string CodePagePath(std::string_view utf8Path);

// UTF-8 from Windows-1252 text.
std::string Utf8FromWindows1252(std::string_view text);

// Windows-1252 text from UTF-8; nothing when the text is not UTF-8 or holds a character 1252 lacks.
std::optional<std::string> Windows1252FromUtf8(std::string_view text);

// Text in the code page as the system's own text, which terminals show and file names are made of: UTF-8 on
// POSIX; as it stands on Windows, whose text is the code page.
std::string SystemTextFromCodePage(std::string_view text);
// The reverse; nothing for system text that the code page cannot spell.
std::optional<std::string> CodePageFromSystemText(std::string_view text);
