#include "NameCase.h"
#include "CodePage.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace
{

struct UpperCase
{
    char c;
    char16_t upper;
};
constexpr UpperCase kUpperCases[] = {
    {'a', u'A'},
    {'z', u'Z'},
    // Beside letters, but no letters.
    {'`', u'`'},
    {'{', u'{'},
    {'\xE0', u'\u00C0'},
    {'\xE9', u'\u00C9'},
    {'\xFE', u'\u00DE'},
    {'\xF7', u'\u00F7'},
    {'\xD7', u'\u00D7'},
    {'\xAA', u'\u00AA'},
    // Letters that 1252 keeps among its punctuation.
    {'\x9A', u'\u0160'},
    {'\x9C', u'\u0152'},
    {'\x9E', u'\u017D'},
    {'\xFF', u'\u0178'},
    {'\x9F', u'\u0178'},
    // A capital that 1252 lacks.
    {'\x83', u'\u0191'},
    // No one-letter capital, or none in the volumes' table.
    {'\xDF', u'\u00DF'},
    {'\xB5', u'\u00B5'},
    {'\x80', u'\u20AC'},
};

struct NamePair
{
    std::string_view a;
    std::string_view b;
    bool same;
};
constexpr NamePair kNamePairs[] = {
    {"KX\xC9T\xC9.BRF", "kx\xE9t\xE9.brf", true},
    {"\xC6gir \x8Cuvre",
     "\xE6GIR \x9C"
     "UVRE",
     true},
    {"Stra\xDF"
     "e.int",
     "STRASSE.INT", false},
    {"\xB5.int", "M.int", false},
    {"\xE9.int", "E.int", false},
    {"same.int", "same.in", false},
    {"", "", true},
};

} // namespace

TEST(NameCase, EachCharacterFoldsToItsNtfsUpperCase)
{
    for (const UpperCase& c : kUpperCases)
        EXPECT_EQ(NtfsUpperCase(c.c), c.upper) << static_cast<int>(static_cast<unsigned char>(c.c));
}

// 26 ASCII letters, 30 of Latin-1 and four from 0x80 to 0x9F; every other character is a name of its own.
TEST(NameCase, SixtyPairsOfCharactersAreOneName)
{
    int pairs = 0;
    for (int x = 0; x < 256; ++x)
        for (int y = x + 1; y < 256; ++y)
            pairs += NtfsUpperCase(static_cast<char>(x)) == NtfsUpperCase(static_cast<char>(y));
    EXPECT_EQ(pairs, 60);
}

TEST(NameCase, NamesAreOneWhenEveryCharacterFoldsAlike)
{
    for (const NamePair& pair : kNamePairs)
    {
        EXPECT_EQ(SameNameIgnoringCase(pair.a, pair.b), pair.same) << pair.a << " / " << pair.b;
        EXPECT_EQ(SameNameIgnoringCase(pair.b, pair.a), pair.same) << pair.b << " / " << pair.a;
    }
}

#ifdef _WIN32
// The system's own upper case, without a locale's rules.
TEST(NameCase, AgreesWithTheSystemsInvariantUpperCase)
{
    for (int x = 0; x < 256; ++x)
    {
        const wchar_t unit = Utf16FromWindows1252(static_cast<char>(x));
        wchar_t upper = 0;
        ASSERT_EQ(LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, &unit, 1, &upper, 1), 1) << x;
        EXPECT_EQ(NtfsUpperCase(static_cast<char>(x)), upper) << x;
    }
}
#endif
