#include "NameCase.h"

#include "CodePage.h"

#include <algorithm>

char16_t NtfsUpperCase(char c)
{
    const char16_t unit = Utf16FromWindows1252(c);
    // The multiplication and division signs sit among Latin-1's letters and have no case.
    if ((unit >= u'a' && unit <= u'z') || (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7))
        return static_cast<char16_t>(unit - 0x20);
    switch (unit)
    {
    case 0x00FF:
        return 0x0178;
    case 0x0153:
        return 0x0152;
    case 0x0161:
        return 0x0160;
    case 0x017E:
        return 0x017D;
    // Latin f with hook; its capital is not in 1252 either.
    case 0x0192:
        return 0x0191;
    }
    // Sharp s among them: its upper case is two letters, and a unit maps to one. The micro sign too: Unicode
    // gives it Greek capital mu, which the volumes' table leaves out; 1252 has neither letter anyway.
    return unit;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return NtfsUpperCase(x) == NtfsUpperCase(y); });
}
