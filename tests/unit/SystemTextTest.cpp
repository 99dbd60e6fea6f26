#include "CodePage.h"
#include "CodePageOutput.h"
#include "KxvuzRun.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace
{

namespace fs = std::filesystem;

#ifdef _WIN32
constexpr bool kUtf8System = false;
#else
constexpr bool kUtf8System = true;
#endif

struct SystemTextCase
{
    std::string codePage;
    std::string utf8;
};
const SystemTextCase kSystemTexts[] = {
    {"Could not find Korvex.exe", "Could not find Korvex.exe"},
    {"C:\\Jeux\\kx\xE9t\xE9.brf", "C:\\Jeux\\kx\xC3\xA9t\xC3\xA9.brf"},
    {"\x80 \x9F \xFF", "\xE2\x82\xAC \xC5\xB8 \xC3\xBF"},
    {"\x81\x8D", "\xC2\x81\xC2\x8D"},
    {"", ""},
};

} // namespace

TEST(SystemText, CodePageTextIsWrittenAsTheSystemsText)
{
    for (const SystemTextCase& c : kSystemTexts)
    {
        const std::string& system = kUtf8System ? c.utf8 : c.codePage;
        EXPECT_EQ(SystemTextFromCodePage(c.codePage), system);
        EXPECT_EQ(CodePageFromSystemText(system), c.codePage);

        std::ostringstream target;
        CCodePageOutput out(target);
        out << c.codePage;
        for (const char byte : c.codePage)
            out.put(byte);
        EXPECT_EQ(target.str(), system + system);
    }
}

// What the stream writes and what is written straight to its target come out in the order written.
TEST(SystemText, OutputKeepsItsOrderWithTheTargetsOwnWrites)
{
    std::ostringstream target;
    CCodePageOutput out(target);
    out << "kx\xE9";
    target << "|";
    out << '\xE9' << std::flush;
    EXPECT_TRUE(out.good());
    EXPECT_EQ(target.str(), SystemTextFromCodePage("kx\xE9") + "|" + SystemTextFromCodePage("\xE9"));
}

#ifndef _WIN32
TEST(SystemText, Utf8TextThatTheCodePageCannotSpellIsNone)
{
    for (const char* text : {"\xD0\xAE\xD1\x80\xD0\xB8\xD0\xB9", "\xC3", "caf\xE9"})
        EXPECT_EQ(CodePageFromSystemText(text), std::nullopt) << text;
}

// Refused before anything is read or written: the run would compose the game's paths from it.
TEST(SystemText, ArgumentsThatTheCodePageCannotSpellAreRefused)
{
    const CScratchWorkingFolder work;
    const std::string cyrillic = work / "\xD0\x98\xD0\xB3\xD1\x80\xD0\xB0";
    const KxvuzResult result = Kxvuz({"install", "--game", cyrillic, work / "m.kxm"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "kxvuz: " + cyrillic +
                  ": Windows-1252, the code page of the game's names, cannot spell this argument.\n");
    EXPECT_FALSE(fs::exists("kxinstall.log"));
}
#endif
