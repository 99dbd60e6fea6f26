#include "CodePage.h"

#include <gtest/gtest.h>

namespace
{

constexpr std::size_t kNone = std::string_view::npos;

// "\x95\x5C" is one character in code page 932, whose second byte is a backslash's, and two in 1252.
struct BackslashCase
{
    std::string_view text;
    std::size_t lastIn932;
    std::size_t lastIn1252;
};
constexpr BackslashCase kBackslashCases[] = {
    {"C:\\G\\", 4, 4},
    {"C:\\G", 2, 2},
    {"C:\\G\\\x95\x5C", 4, 6},
    {"C:\\G\\\x95\x5C\\", 7, 7},
    {"\x95\x5C\x95\x5C", kNone, 3},
    // A lead byte without its second byte stands alone.
    {"C:\\\x95", 2, 2},
    {"", kNone, kNone},
};

} // namespace

TEST(CodePage, EveryByteRoundTripsThroughUtf8)
{
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all += static_cast<char>(byte);
    EXPECT_EQ(Windows1252FromUtf8(Utf8FromWindows1252(all)), all);
}

TEST(CodePage, HighBytesTakeTheirWindows1252Characters)
{
    EXPECT_EQ(Utf8FromWindows1252("A\x80"), "A\xE2\x82\xAC");
    EXPECT_EQ(Utf8FromWindows1252("\x9F"), "\xC5\xB8");
    EXPECT_EQ(Utf8FromWindows1252("\xE9"), "\xC3\xA9");
    // Unassigned bytes become the C1 control of the same value.
    for (const char* unassigned : {"\x81", "\x8D", "\x8F", "\x90", "\x9D"})
        EXPECT_EQ(Utf8FromWindows1252(unassigned), std::string("\xC2") + unassigned);
    EXPECT_EQ(Windows1252FromUtf8("\xE2\x80\x9C"
                                  "Dawn"
                                  "\xE2\x80\x9D"),
              "\x93"
              "Dawn"
              "\x94");
}

TEST(CodePage, Windows1252FromUtf8RejectsMalformedTextAndMissingCharacters)
{
    for (const char* malformed : {"\xC3", "\x80", "A\xFF", "\xC1\x81", "\xE0\x80\x80", "\xED\xA0\x80",
                                  "\xF4\x90\x80\x80", "\xC3\x28"})
        EXPECT_EQ(Windows1252FromUtf8(malformed), std::nullopt) << malformed;
    // U+0080 is not in the code page (its byte is the euro sign), nor are CJK characters or emoji.
    for (const char* missing : {"\xC2\x80", "\xE4\xB8\x80", "\xF0\x9F\x98\x80", "\xC4\x81"})
        EXPECT_EQ(Windows1252FromUtf8(missing), std::nullopt) << missing;
    EXPECT_EQ(Windows1252FromUtf8(""), "");
}

// Under Wine the system code page is 1252 as well.
TEST(CodePage, AnsiFromUtf16ReplacesWhatDoesNotFit)
{
    EXPECT_EQ(AnsiFromUtf16(u""), "");
    EXPECT_EQ(AnsiFromUtf16(u"Op: Dawn"), "Op: Dawn");
    // No best-fit guesses: a-macron is not turned into a.
    EXPECT_EQ(AnsiFromUtf16(u"\u0101\u4E00"), "??");
    EXPECT_EQ(AnsiFromUtf16(std::u16string{u'\xD800', u'a', u'\xDC00'}), "?a?");
}

// Windows converts with the system's code page and its own rules for surrogate pairs.
#ifndef _WIN32
TEST(CodePage, AnsiFromUtf16UsesWindows1252)
{
    EXPECT_EQ(AnsiFromUtf16(u"\u00E9\u20AC\u0081\u0178"), "\xE9\x80\x81\x9F");
    // A surrogate pair is one character.
    EXPECT_EQ(AnsiFromUtf16(u"x\U0001F600y"), "x?y");
}

TEST(CodePage, LastBackslashInWindows1252)
{
    for (const auto& [text, lastIn932, lastIn1252] : kBackslashCases)
    {
        EXPECT_EQ(FindLastBackslash(text), lastIn1252) << text;
        EXPECT_EQ(EndsInBackslash(text), lastIn1252 != kNone && lastIn1252 + 1 == text.size()) << text;
    }
}

#else

TEST(CodePage, LastBackslashSkipsTheSecondByteOfADoubleByteCharacter)
{
    for (const auto& [text, lastIn932, lastIn1252] : kBackslashCases)
    {
        EXPECT_EQ(FindLastBackslash(text, 932), lastIn932) << text;
        EXPECT_EQ(FindLastBackslash(text, 1252), lastIn1252) << text;
    }
}

TEST(CodePage, AnsiFromUtf16InTheCodePageGiven)
{
    struct Case
    {
        unsigned codePage;
        std::u16string text;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {1252, u"\u00E9\u20AC", "\xE9\x80"},
        {1252, u"\u0101\u4E00", "??"},
        // Windows' "Use Unicode UTF-8" setting: every character fits.
        {65001, u"\u00E9\u20AC", "\xC3\xA9\xE2\x82\xAC"},
        {65001, u"x\U0001F600y", "x\xF0\x9F\x98\x80y"},
        {65001, u"", ""},
        {932, u"\u8868", "\x95\x5C"},
        // No empty text for a code page the system cannot convert with.
        {12345, u"abc", std::nullopt},
    };
    for (const auto& [codePage, text, expected] : cases)
        EXPECT_EQ(AnsiFromUtf16(text, codePage), expected) << codePage;
}

TEST(CodePage, WideFromAnsiInTheCodePageGiven)
{
    struct Case
    {
        unsigned codePage;
        std::string text;
        std::wstring expected;
    };
    const Case cases[] = {
        {1252, "\xE9\x80 \x81", L"\u00E9\u20AC \u0081"},
        {932, "\x95\x5C\\", L"\u8868\\"},
        {65001, "\xC5\x81ukasz \xF0\x9F\x98\x80", L"\u0141ukasz \U0001F600"},
        // Neither a lone continuation byte nor a sequence cut short is a character.
        {65001,
         "a\x80"
         "b\xC5",
         L"a\uFFFDb\uFFFD"},
        {65001, "", L""},
    };
    for (const auto& [codePage, text, expected] : cases)
        EXPECT_EQ(WideFromAnsi(text, codePage), expected) << codePage << " " << text;
}

#endif
