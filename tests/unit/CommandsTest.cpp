#include "FaultInjectingFileSystem.h"
#include "KxvuzRun.h"
#include "MissionFile.h"
#include "TestFiles.h"
#include "TestGame.h"
#include "TestMissions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <vector>

namespace
{

// An error: exit status 2, nothing on standard output and exactly one line on standard error.
void ExpectError(const KxvuzResult& result, const std::string& part)
{
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    ASSERT_FALSE(result.err.empty());
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    EXPECT_NE(result.err.find(part), std::string::npos) << result.err;
}

} // namespace

TEST(Commands, ConvertKxmToJsonAndBackGivesTheSameBytes)
{
    CScratchFolder folder;
    const std::string original = EncodeMission(FilledMission());
    WriteBytes(folder / "a.kxm", original);

    EXPECT_EQ(Kxvuz({"convert", folder / "a.kxm", folder / "a.json"}).status, 0);
    EXPECT_EQ(Kxvuz({"convert", folder / "a.json", folder / "b.json"}).status, 0);
    EXPECT_EQ(Kxvuz({"convert", folder / "b.json", folder / "b.KXM"}).status, 0);
    EXPECT_EQ(ReadBytes(folder / "b.KXM"), original);
    EXPECT_EQ(ReadBytes(folder / "b.json"), ReadBytes(folder / "a.json"));
    EXPECT_NE(ReadBytes(folder / "a.json").find("Caf\xC3\xA9"), std::string::npos);
}

TEST(Commands, SampleMissionsMatchTheirJsonSources)
{
    CScratchFolder folder;
    int samples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(KX_SAMPLE_DIR "/missions"))
    {
        if (entry.path().extension() != ".json")
            continue;
        ++samples;
        const std::filesystem::path json = entry.path();
        const std::filesystem::path kxm = std::filesystem::path(json).replace_extension(".kxm");
        SCOPED_TRACE(json.string());
        ASSERT_EQ(Kxvuz({"convert", json.string(), folder / "out.kxm"}).status, 0);
        EXPECT_EQ(ReadBytes(folder / "out.kxm"), ReadBytes(kxm));
        ASSERT_EQ(Kxvuz({"convert", kxm.string(), folder / "out.json"}).status, 0);
        EXPECT_EQ(ReadBytes(folder / "out.json"), ReadBytes(json));
        EXPECT_EQ(Kxvuz({"validate", kxm.string()}).out, "OK\n");
    }
    EXPECT_GE(samples, 4);
}

TEST(Commands, ValidateReportsTheMissionsVerdict)
{
    CScratchFolder folder;
    CMissionDefinition mission = FilledSinglePlayerMission();
    WriteBytes(folder / "good.kxm", EncodeMission(mission));
    mission.splashFile.clear();
    WriteBytes(folder / "incomplete.kxm", EncodeMission(mission));
    mission.multiplayer = 1;
    mission.intelFile = "a?b.int";
    WriteBytes(folder / "illegal.kxm", EncodeMission(mission));
    WriteBytes(folder / "empty-mp.json", R"({"multiplayer": true})");

    const auto good = Kxvuz({"validate", folder / "good.kxm"});
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(good.out, "OK\n");
    const auto incomplete = Kxvuz({"validate", folder / "incomplete.kxm"});
    EXPECT_EQ(incomplete.status, 1);
    EXPECT_EQ(incomplete.out, "Please fill in all information.\nThe splash (*.spl) file is empty.\n");
    const auto illegal = Kxvuz({"validate", folder / "illegal.kxm"});
    EXPECT_EQ(illegal.status, 1);
    EXPECT_EQ(illegal.out, "The intel (*.int) file contains the illegla character ?.\n");
    EXPECT_EQ(Kxvuz({"validate", folder / "empty-mp.json"}).status, 0);
}

TEST(Commands, ShowPrintsEveryFieldWithMaterialsGrouped)
{
    CScratchFolder folder;
    WriteBytes(folder / "m.kxm", EncodeMission(FilledMission()));
    const auto result = Kxvuz({"show", folder / "m.kxm"});
    EXPECT_EQ(result.status, 0);
    for (const char* line :
         {"Mission name:       \"Caf\xC3\xA9 Raid \xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D\"\n",
          "Splash file:        \"Cafe01.spl\"\n", "Duskreach Training: yes\n",
          "Electronics kit:    \"Electronics \xC3\xA9.kit\"\n",
          "Intel entries:      2\n  1. \"Caf\xC3\xA9 floor plan\"\n  2. \"Guard roster\"\n",
          "  \"CAFE_CLEARED\": \"Clear the caf\xC3\xA9\"\n",
          "  1. \"neon\"\n"
          "     Colorkey:   on, red \"255\", green \"128\", blue \"64\"\n"
          "     Scroll:     on, x \"0.25\", y \"-0.5\", z \"1\"\n"
          "     Animation:  on, oscillated, interval \"150\"\n"
          "     Textures:   \"neon1.bmp\", \"neon2.bmp\"\n"})
        EXPECT_NE(result.out.find(line), std::string::npos) << line << "in:\n" << result.out;
}

TEST(Commands, UnreadableOrMalformedFilesExitWithOneLine)
{
    CScratchFolder folder;
    WriteBytes(folder / "short.kxm", std::string(20, '\0'));
    WriteBytes(folder / "bad.json", R"({"materials": [{"scroll": {"enabled": "1"}}]})");
    WriteBytes(folder / "typo.json", R"({"missionNmae": "x"})");
    CMissionDefinition badFlag = FilledMission();
    badFlag.animationFlags[0] = "2";
    WriteBytes(folder / "badflag.kxm", EncodeMission(badFlag));

    ExpectError(Kxvuz({"show", folder / "missing.kxm"}), "missing.kxm: ");
    ExpectError(Kxvuz({"validate", folder / "short.kxm"}), "short.kxm: ");
    ExpectError(Kxvuz({"show", folder / "bad.json"}), "materials[0].scroll.enabled must be true or false");
    ExpectError(Kxvuz({"validate", folder / "typo.json"}), "unknown key \"missionNmae\"");
    ExpectError(Kxvuz({"convert", folder / "badflag.kxm", folder / "out.json"}),
                "materials[0].animation.enabled");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "out.json"));
    ExpectError(Kxvuz({"convert", folder / "short.kxm", folder / "out.txt"}), "out.txt: ");
    ExpectError(Kxvuz({"show", folder / "m.mis"}), ".kxm or .json");
    WriteBytes(folder / "good.kxm", EncodeMission(FilledMission()));
    ExpectError(Kxvuz({"convert", folder / "good.kxm", folder / "no-such-folder/out.json"}), "out.json: ");
}

TEST(Commands, BadCommandLinesExitWithOneLineAndHelpExitsZero)
{
    for (const auto& [line, reason] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{}, "A command is required"},
             {{"shwo", "a.kxm"}, "Unknown command or option shwo"},
             {{"--verbose"}, "Unknown command or option --verbose"},
             {{"show"}, "MISSION is required"},
             {{"show", "a.kxm", "b.kxm"}, "Unexpected argument b.kxm"},
             {{"show", "--game", "g", "a.kxm"}, "Unknown option --game"},
             {{"convert", "a.kxm"}, "OUT is required"},
             {{"check", "a.kxm"}, "--game is required"},
             {{"install", "a.kxm", "--game"}, "--game needs its DIR"},
             {{"install", "--game=", "a.kxm"}, "--game needs its DIR"},
             {{"install", "--game", "--", "a.kxm"}, "--game needs its DIR"},
             {{"restore", "--game", "g", "--game=h"}, "--game is given twice"},
             {{"show", "--", "--help"}, "--help: The name of a mission file must end in .kxm or .json."}})
    {
        SCOPED_TRACE(reason);
        const auto result = Kxvuz(line);
        ExpectError(result, reason);
        EXPECT_NE(result.err.find("--help"), std::string::npos) << "where to find help: " << result.err;
    }

    const auto help = Kxvuz({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* command : {"show", "validate", "convert"})
    {
        EXPECT_NE(help.out.find(command), std::string::npos);
        const auto commandHelp = Kxvuz({command, "--help"});
        EXPECT_EQ(commandHelp.status, 0);
        EXPECT_NE(commandHelp.out.find(std::string("kxvuz ") + command), std::string::npos)
            << commandHelp.out;
    }
    for (const std::vector<std::string>& line : std::vector<std::vector<std::string>>{
             {"--help"}, {"install", "--help"}, {"check", "--help"}, {"restore", "--help"}})
    {
        std::istringstream lines(Kxvuz(line).out);
        for (std::string text; std::getline(lines, text);)
            EXPECT_LT(text.size(), 100u) << "a help line wider than a terminal of 100 columns: " << text;
    }
    // As an option's value, -h is that value.
    ExpectError(Kxvuz({"restore", "--game", "-h"}), "No complete backup set in -h");
    EXPECT_EQ(Kxvuz({"restore", "--game", "-h", "-h"}).status, 0);
    const auto installHelp = Kxvuz({"install", "a.kxm", "-h"});
    EXPECT_EQ(installHelp.status, 0);
    EXPECT_NE(installHelp.out.find("Usage: kxvuz install --game DIR MISSION [--again] [--dry-run] [--log]\n"), std::string::npos)
        << installHelp.out;
    EXPECT_NE(installHelp.out.find("  --game DIR   The game directory, which holds Korvex.exe\n"),
              std::string::npos)
        << installHelp.out;
}

TEST(Commands, OptionsGoAnywhereAmongTheArgumentsInEitherSpelling)
{
    const std::string game = KX_SAMPLE_DIR "/game";
    const std::string mission = KX_SAMPLE_DIR "/missions/Harbor01.kxm";
    const auto expected = Kxvuz({"check", "--game", game, mission});
    EXPECT_EQ(expected.status, 0);
    EXPECT_EQ(expected.out, "OK\n");
    for (const std::vector<std::string>& line :
         std::vector<std::vector<std::string>>{{"check", mission, "--game", game},
                                               {"check", "--game=" + game, mission},
                                               {"check", "--game", game, "--", mission}})
    {
        const auto result = Kxvuz(line);
        EXPECT_EQ(result.status, expected.status);
        EXPECT_EQ(result.out, expected.out);
        EXPECT_EQ(result.err, "");
    }
}

TEST(Commands, VersionIsTheProjects)
{
    const auto version = Kxvuz({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "kxvuz " KX_VERSION "\n");
    EXPECT_EQ(version.err, "");
}

// The restore notice promises what follows the error; a stop before any change says that nothing changed.
TEST(Commands, InstallErrorsSayWhatBecomesOfTheGameFiles)
{
    const CScratchWorkingFolder work;
    const std::string mission = KX_SAMPLE_DIR "/missions/Harbor01.kxm";
    const std::string restoreNotice = "Your files will be restored to their original condition.\n";
    const std::string nothingChanged = "No game file was changed.\n";
    // The mission list edit's open, once the backup set is committed.
    int firstEdit = 0;
    {
        const CTestGame game;
        CFaultInjectingFileSystem counting(NativeFileSystem());
        counting.afterOperation = [&](int operation)
        {
            const std::string& last = counting.Touched().back();
            if (firstEdit == 0 && last.starts_with("Open r+ ") && last.ends_with("\\mission\\mission.lst"))
                firstEdit = operation;
        };
        const KxvuzResult probe = Kxvuz({"install", "--game", game.Directory(), mission}, counting);
        ASSERT_EQ(probe.status, 0) << probe.err;
        ASSERT_GT(firstEdit, 0);
    }

    struct Case
    {
        const char* what;
        bool withoutKorvexExe;
        int failAt;
        bool fromThenOn;
        int status;
        const char* error;
        const std::string* notice;
    };
    for (const Case& c : {
             Case{"a stop before any change", true, 0, false, 3, "Could not find Korvex.exe",
                  &nothingChanged},
             Case{"a failure after the backup", false, firstEdit, false, 1, "Could not open the file ",
                  &restoreNotice},
             Case{"a restore that cannot finish", false, firstEdit, true, 1,
                  "Some game files could not be restored", nullptr},
         })
    {
        SCOPED_TRACE(c.what);
        const CTestGame game;
        if (c.withoutKorvexExe)
            std::filesystem::remove(game.Path("Korvex.exe"));
        CFaultInjectingFileSystem fileSystem(NativeFileSystem());
        fileSystem.FailAt(c.failAt, c.fromThenOn, CFaultInjectingFileSystem::Fault::IoError);
        const KxvuzResult result = Kxvuz({"install", "--game", game.Directory(), mission}, fileSystem);
        EXPECT_EQ(result.status, c.status) << result.err;
        const std::size_t error = result.err.find(c.error);
        ASSERT_NE(error, std::string::npos) << result.err;
        // What follows the error's message.
        const std::string below = result.err.substr(error);
        for (const std::string* notice : {&restoreNotice, &nothingChanged})
            EXPECT_EQ(below.find(*notice) != std::string::npos, notice == c.notice) << result.err;
    }
}

#ifdef _WIN32
// kxvuz.exe's words name such a folder in UTF-16, which it keeps as UTF-8; messages spell it in the code
// page. On POSIX kxvuz refuses a word that Windows-1252 cannot spell, as the system text tests show.
TEST(Commands, MissionFilesInAFolderTheCodePageCannotSpellLoadInstallAndAreWrittenThere)
{
    const CScratchWorkingFolder work;
    const std::filesystem::path folder = work.ForeignFolder();
    const std::string sample = KX_SAMPLE_DIR "/missions/Harbor01";
    const std::string kxm = Utf8Of(folder / "Harbor01.kxm");
    const std::string json = Utf8Of(folder / "Harbor01.json");
    WriteBytes(folder / "Harbor01.kxm", ReadBytes(sample + ".kxm"));

    const KxvuzResult shown = Kxvuz({"show", kxm});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, Kxvuz({"show", sample + ".kxm"}).out);
    EXPECT_EQ(Kxvuz({"validate", kxm}).out, "OK\n");
    ASSERT_EQ(Kxvuz({"convert", kxm, json}).status, 0);
    EXPECT_EQ(ReadBytes(folder / "Harbor01.json"), ReadBytes(sample + ".json"));
    ASSERT_EQ(Kxvuz({"convert", json, Utf8Of(folder / "copy.kxm")}).status, 0);
    EXPECT_EQ(ReadBytes(folder / "copy.kxm"), ReadBytes(sample + ".kxm"));

    const CTestGame game;
    const CTestGame installedFromSample;
    const KxvuzResult checked = Kxvuz({"check", "--game", game.Directory(), kxm});
    EXPECT_EQ(checked.out, Kxvuz({"check", "--game", game.Directory(), sample + ".kxm"}).out);
    EXPECT_EQ(checked.status, 0);
    const KxvuzResult installed = Kxvuz({"install", "--game", game.Directory(), kxm});
    EXPECT_EQ(installed.status, 0) << installed.err;
    ASSERT_EQ(Kxvuz({"install", "--game", installedFromSample.Directory(), sample + ".kxm"}).status, 0);
    EXPECT_EQ(game.GameFiles(), installedFromSample.GameFiles());

    const std::string spelt = (work.Path() / "?ukasz" / "missing.kxm").string();
    ExpectError(Kxvuz({"show", Utf8Of(folder / "missing.kxm")}), spelt + ": The file cannot be opened.");
}
#endif
