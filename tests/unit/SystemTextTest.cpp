#include "CodePage.h"
#include "CodePageOutput.h"
#include "KxvuzRun.h"
#include "MissionFile.h"
#include "TestFiles.h"
#include "TestGame.h"

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

// A game whose files have accented UTF-8 names, as Wine leaves them, reached through a folder with an
// accented name, with a mission in another; the mission names its files in Windows-1252 and in other letter
// case.
class Utf8Names : public testing::Test
{
protected:
    Utf8Names()
    {
        game.Write("data/text/briefing/kx\xC3\xA9t\xC3\xA9.brf",
                   game.Read("data/text/briefing/Harbor01.brf"));
        game.Write("data/text/intel/kx\xC3\xA9t\xC3\xA9.int", game.Read("data/text/intel/Harbor01.int"));
        fs::create_directory_symlink(game.Path("."), work.Path() / "Jeux \xC3\xA9t\xC3\xA9");
        fs::create_directories(work.Path() / "Missions \xC3\xA0 jouer");
        mission.briefingFile = "KX\xC9T\xC9.BRF";
        mission.intelFile = "kx\xE9t\xE9.int";
        WriteBytes(missionPath, EncodeMission(mission));
    }

    KxvuzResult Run(const char* command)
    {
        return Kxvuz({command, "--game", gameLink, missionPath.string()});
    }

    const CScratchWorkingFolder work;
    const CTestGame game;
    CMissionDefinition mission = CTestGame::Mission();
    const std::string gameLink = work / "Jeux \xC3\xA9t\xC3\xA9";
    const fs::path missionPath = work.Path() / "Missions \xC3\xA0 jouer" / "\xC3\xA9t\xC3\xA9.kxm";
};

TEST_F(Utf8Names, AnAccentedMissionInstallsIntoTheFilesOfItsUtf8Names)
{
    const auto before = game.GameFiles();
    ASSERT_EQ(Run("check").out, "OK\n");
    const KxvuzResult result = Run("install");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Done\n");

    // The names the mission spells are the files there, and no file of another name appeared.
    const auto after = game.GameFiles();
    ASSERT_EQ(after.size(), before.size());
    for (const auto& [path, bytes] : before)
        EXPECT_TRUE(after.count(path)) << path;
    EXPECT_NE(after.at("data/text/intel/kx\xC3\xA9t\xC3\xA9.int"), before.at("data/text/intel/Harbor01.int"));
    EXPECT_EQ(game.Read("data/Backup/kx\xC3\xA9t\xC3\xA9.int"), before.at("data/text/intel/Harbor01.int"));
    EXPECT_EQ(game.Read("data/Backup/KX\xC3\x89T\xC3\x89.BRF"), before.at("data/text/briefing/Harbor01.brf"));
    // The log is the game's text, in the code page.
    EXPECT_NE(ReadBytes("kxinstall.log").find("\\intel\\kx\xE9t\xE9.int"), std::string::npos);
}

TEST_F(Utf8Names, MessagesNameTheFilesInUtf8)
{
    fs::remove(game.Path("data/text/intel/kx\xC3\xA9t\xC3\xA9.int"));
    const KxvuzResult check = Run("check");
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(
        check.out.find("The intel file data\\text\\intel\\kx\xC3\xA9t\xC3\xA9.int is not in the game's"),
        std::string::npos)
        << check.out;

    fs::remove(game.Path("Korvex.exe"));
    const KxvuzResult install = Run("install");
    EXPECT_EQ(install.status, 3);
    EXPECT_NE(install.err.find("Could not find Korvex.exe in the directory " + gameLink + "/."),
              std::string::npos)
        << install.err;
}

TEST_F(Utf8Names, ArgumentsThatTheCodePageCannotSpellAreRefused)
{
    const std::string cyrillic = work / "\xD0\x98\xD0\xB3\xD1\x80\xD0\xB0";
    fs::create_directory_symlink(game.Path("."), cyrillic);
    const KxvuzResult result = Kxvuz({"install", "--game", cyrillic, missionPath.string()});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "kxvuz: " + cyrillic +
                  ": Windows-1252, the code page of the game's names, cannot spell this argument.\n");
    EXPECT_FALSE(fs::exists("kxinstall.log"));
    EXPECT_FALSE(fs::exists(game.Path("data/Backup")));
}
#endif
