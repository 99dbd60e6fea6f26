#include "FileReplace.h"
#include "InstallationRun.h"
#include "RecordingFrontEnd.h"
#include "RefusingFileSystem.h"
#include "TestGame.h"

#include <gtest/gtest.h>

namespace
{

namespace fs = std::filesystem;

const std::string kCxp = "data/texture/sherman.cxp";

class MaterialsUpdate : public ::testing::Test
{
protected:
    CTestGame game;
    CMissionDefinition mission = MultiplayerMission();
    CRecordingFrontEnd frontEnd;
    CRefusingFileSystem fileSystem;

    // Multiplayer-only, so that only the string table is edited before the material file.
    static CMissionDefinition MultiplayerMission()
    {
        CMissionDefinition m = CTestGame::Mission();
        m.multiplayer = 1;
        return m;
    }

    int Material(const std::string& name)
    {
        mission.AddMaterial(name);
        return mission.MaterialCount() - 1;
    }
    void Colorkey(int i, const std::string& red, const std::string& green, const std::string& blue)
    {
        mission.SetTransparencyFlag(i, true);
        mission.SetColorkeyRed(i, red);
        mission.SetColorkeyGreen(i, green);
        mission.SetColorkeyBlue(i, blue);
    }
    void Scroll(int i, const std::string& x, const std::string& y, const std::string& z)
    {
        mission.SetScrollFlag(i, true);
        mission.SetScrollX(i, x);
        mission.SetScrollY(i, y);
        mission.SetScrollZ(i, z);
    }
    void Animate(int i, int mode, const std::string& interval, const std::vector<std::string>& textures)
    {
        mission.SetAnimationFlag(i, true);
        mission.SetAnimationMode(i, mode);
        mission.SetAnimationInterval(i, interval);
        for (const std::string& texture : textures)
            mission.AddTexture(i, texture);
    }

    RunOutcome Run() { return game.Install(mission, frontEnd, fileSystem); }

    // The material file after one completed run over cxp.
    std::string Installed(const std::string& cxp)
    {
        game.Write(kCxp, Disk(cxp));
        EXPECT_EQ(Run(), RunOutcome::Completed) << (frontEnd.errors.empty() ? "" : frontEnd.errors.back());
        return game.Read(kCxp);
    }

    // The material file after installing material m alone, with the effects that set gives it.
    template <typename Set> std::string InstalledAlone(const std::string& cxp, Set set)
    {
        mission = MultiplayerMission();
        set(Material("m"));
        return Installed(cxp);
    }

    std::string CxpPath() const { return game.Directory() + "data\\texture\\sherman.cxp"; }
    std::string TempPath() const { return game.Directory() + "data\\Backup\\Temp\\kxbEffects.txt"; }

    std::string Log() const { return ReadBytes(game.LogPath()); }

    void ExpectFailsAndRestores(const std::string& message)
    {
        const auto before = game.GameFiles();
        EXPECT_EQ(Run(), RunOutcome::FailedAndRestored);
        EXPECT_EQ(frontEnd.errors, std::vector<std::string>{message});
        auto after = game.GameFiles();
        after.erase("kxmaterials.txt");
        EXPECT_EQ(after, before);
        const std::string ending = "\r\n-! Error encountered !-\r\nRestoring files...\r\nRestoration "
                                   "complete.\r\nExit KX VUZ Odezodure with no changes made.";
        const std::string log = Log();
        EXPECT_EQ(log.substr(log.size() - std::min(log.size(), ending.size())), ending);
    }
};

TEST_F(MaterialsUpdate, ANewMaterialGetsABlockWithItsEffectsAfterTheLastEntry)
{
    const std::string animation = "\n\tanimated\n\t0\n\t100\n\t2\n\ta.bmp\n\tb.bmp\n";
    const std::string blocks[8] = {
        "Material new\t\tEnd",
        "Material new\t\tcolorkey 10 20 30 End",
        "Material new\t\t\n\tscroll 0.5 0 -1 End",
        "Material new\t\tcolorkey 10 20 30 \n\tscroll 0.5 0 -1 End",
        "Material new\t\t" + animation + "End",
        "Material new\t\tcolorkey 10 20 30 " + animation + "End",
        "Material new\t\t\n\tscroll 0.5 0 -1 " + animation + "End",
        "Material new\t\tcolorkey 10 20 30 \n\tscroll 0.5 0 -1 " + animation + "End",
    };
    for (int effects = 0; effects < 8; ++effects)
    {
        mission = MultiplayerMission();
        const int i = Material("new");
        Colorkey(i, "10", "20", "30");
        Scroll(i, "0.5", "0", "-1");
        Animate(i, 0, "100", {"a.bmp", "b.bmp"});
        mission.SetTransparencyFlag(i, effects & 1);
        mission.SetScrollFlag(i, effects & 2);
        mission.SetAnimationFlag(i, effects & 4);
        EXPECT_EQ(Installed("Material old\t\tEnd\n"),
                  Disk("Material old\t\tEnd\n\n//-- Test Run\n" + blocks[effects] + "\n"))
            << "effects " << effects;
    }
}

TEST_F(MaterialsUpdate, ANewBlockGoesBeforeTrailingCommentsAndKeepsALastLineWithoutLineBreak)
{
    auto install = [&](const std::string& cxp) { return InstalledAlone(cxp, [](int) {}); };
    const std::string block = "\n//-- Test Run\nMaterial m\t\tEnd";
    EXPECT_EQ(install("// materials\nMaterial a End\n\n// end of file\n\n"),
              Disk("// materials\nMaterial a End\n" + block + "\n\n// end of file\n\n"));
    EXPECT_EQ(install("Material a End"), Disk("Material a End" + block));
    EXPECT_EQ(install("Material a End\n/* c */ Material b End\n/* unclosed\n"),
              Disk("Material a End\n/* c */ Material b End\n" + block + "\n/* unclosed\n"))
        << "an entry behind a closing comment is the last entry with its whole line";
    const std::string longEntry = "Material a End // " + std::string(300, 'c') + "\n";
    EXPECT_EQ(install(longEntry + "// tail\n"), Disk(longEntry + block + "\n// tail\n"));
}

TEST_F(MaterialsUpdate, LogsAndStepsOfAFoundAndANewMaterial)
{
    Colorkey(Material("known"), "1", "2", "3");
    Material("fresh");
    EXPECT_EQ(Installed("Material known\n\tcolorkey 0 0 0\nEnd\n"),
              Disk("Material known\n\tcolorkey 1 2 3\n\nEnd\n\n//-- Test Run\nMaterial fresh\t\tEnd\n"));
    const std::string cxp = CxpPath();
    const std::string temp = TempPath();
    const std::string expected = Disk(
        "\nOpening " + cxp +
        "...\nFile opened successfully.\nSearching for 'Material known'...\nMaterial "
        "found.\nOpening temporary file " +
        temp +
        "...\nSearching for token 'End'...\nToken found.\nSearching for token 'colorkey'...\nToken "
        "found.\nChanging value of transparency...\nChange complete.\nMaterial known added "
        "successfully.\nSearching for 'Material fresh'...\nMaterial not found.\nOpening temporary file " +
        temp +
        "...\nAdding material...\nMaterial added.\nMaterial fresh added successfully.\nSherman.cxp file "
        "closed.\nInstallation complete for Test Run.");
    const std::string log = Log();
    EXPECT_EQ(log.substr(log.size() - std::min(log.size(), expected.size())), expected);

    std::vector<std::string> steps;
    for (std::size_t s = 5; s < frontEnd.shown.size(); ++s)
        steps.push_back(frontEnd.shown[s]);
    EXPECT_EQ(steps,
              (std::vector<std::string>{"50% Opening Sherman.cxp...", "60% Searching for material known...",
                                        "70% Updating sherman.cxp...", "80% Cleaning up sherman.cxp...",
                                        "90% Searching for material fresh...", "100% Updating sherman.cxp...",
                                        "100% Cleaning up sherman.cxp...", "100% Finished installation.",
                                        "100% Finished installation."}));
}

TEST_F(MaterialsUpdate, WithoutMaterialsTheFileIsOnlyOpenedAndClosed)
{
    const std::string sample = game.Read(kCxp);
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(game.Read(kCxp), sample);
    EXPECT_NE(
        Log().find(Disk("\nOpening " + CxpPath() +
                        "...\nFile opened successfully.\nSherman.cxp file closed.\nInstallation complete")),
        std::string::npos);
}

TEST_F(MaterialsUpdate, FoundValuesAreReplacedWhereTheyStand)
{
    auto colorkey = [&](int i) { Colorkey(i, "10", "20", "30"); };
    EXPECT_EQ(InstalledAlone("Material m\t\tcolorkey 0 0 0 End\n", colorkey),
              Disk("Material m\t\tcolorkey 10 20 30 \nEnd\n"));
    EXPECT_EQ(InstalledAlone("Material m colorkey\n\t1 2 3\nEnd\n", colorkey),
              Disk("Material m colorkey\n\t10 20 30\n\nEnd\n"));
    EXPECT_EQ(InstalledAlone("Material m colorkey // red green blue\n 1 /* g */ 2 3 End\n", colorkey),
              Disk("Material m colorkey // red green blue\n 10 /* g */ 20 30 \nEnd\n"));
    EXPECT_EQ(InstalledAlone("/* old */ Material m colorkey 0 0 0 End\n", colorkey),
              Disk("/* old */ Material m colorkey 10 20 30 \nEnd\n"));
    EXPECT_EQ(InstalledAlone("Material m colorkey 5 5 5\n\tscroll 0.01 0 0 End\n",
                             [&](int i) { Scroll(i, "1", "22", "-0.5"); }),
              Disk("Material m colorkey 5 5 5\n\tscroll 1 22 -0.5 \nEnd\n"))
        << "colorkey, off in the mission, stays as it was";
}

TEST_F(MaterialsUpdate, AFoundBlockGainsTheEffectsItLacksAndLosesCommentLines)
{
    EXPECT_EQ(InstalledAlone("Material m\nEnd\n", [&](int i) { Colorkey(i, "10", "20", "30"); }),
              Disk("Material m\n\n\tcolorkey 10 20 30 End\n"));
    EXPECT_EQ(InstalledAlone("Material m\nEnd\n",
                             [&](int i)
                             {
                                 Colorkey(i, "10", "20", "30");
                                 Scroll(i, "1", "2", "3");
                             }),
              Disk("Material m\n\n\tcolorkey 10 20 30 \tscroll 1 2 3 End\n"));
    EXPECT_EQ(InstalledAlone("Material m\n// note\n\n\tcolorkey 1 1 1\nEnd\n// after\n",
                             [&](int i)
                             {
                                 Colorkey(i, "10", "20", "30");
                                 Scroll(i, "1", "2", "3");
                                 Animate(i, 1, "250", {"a.bmp"});
                             }),
              Disk("Material m\n\tcolorkey 10 20 30\n\n\tscroll 1 2 3 \tanimated\n\t1\n\t250\n\t1\n\ta.bmp\n"
                   "End\n// after\n"));
}

TEST_F(MaterialsUpdate, AnimationValuesAndTexturesAreRewrittenInPlace)
{
    EXPECT_EQ(InstalledAlone("Material m\n\tanimated\n\t0\n\t80\n\t3\n\ta.bmp\n\tb.bmp\n\tc.bmp\nEnd\n",
                             [&](int i) { Animate(i, 1, "250", {"n.bmp"}); }),
              Disk("Material m\n\tanimated\n\t1\n\t250\n\t1\n\tn.bmp\n\t\t\nEnd\n"))
        << "surplus names go with their line breaks";
    EXPECT_EQ(InstalledAlone("Material m\n\tanimated 0 80 1\n\ta.bmp\nEnd\n",
                             [&](int i) {
                                 Animate(i, 1, "250", {"n1.bmp", "n2.bmp", "n3.bmp"});
                             }),
              Disk("Material m\n\tanimated 1 250 3\n\tn1.bmp\n\tn2.bmp\n\tn3.bmp\n\nEnd\n"));
    // Only the value in hand changes, not the same digits elsewhere on its line.
    EXPECT_EQ(InstalledAlone("Material m\n\tanimated 0 80 4\n\tg1.bmp g2.bmp g3.bmp g4.bmp\nEnd\n",
                             [&](int i) {
                                 Animate(i, 0, "400", {"x.bmp", "y.bmp"});
                             }),
              Disk("Material m\n\tanimated 0 400 2\n\tx.bmp\ny.bmp\n\nEnd\n"));
    EXPECT_EQ(InstalledAlone("Material m animated 0 80 1 a.bmp End\n",
                             [&](int i) { Animate(i, 1, "250", {"n.bmp"}); }),
              Disk("Material m animated 1 250 1 n.bmp\n\nEnd\n"))
        << "a block of one line is rewritten too";
    EXPECT_EQ(
        InstalledAlone("Material m\n\tanimated 0 80 0 \nEnd", [&](int i) { Animate(i, 0, "80", {"n.bmp"}); }),
        Disk("Material m\n\tanimated 0 80 1 \n\tn.bmp\nEnd"))
        << "a last line without line break becomes empty, not unreadable";
}

TEST_F(MaterialsUpdate, LongClosingLinesAreContinuedAfterTheirLineBreak)
{
    const std::string comment = "// " + std::string(200, 'c');
    auto colorkey = [&](int i) { Colorkey(i, "10", "20", "30"); };
    EXPECT_EQ(InstalledAlone("Material m\t\tcolorkey 1 1 1 End " + comment + "\nMaterial n End\n", colorkey),
              Disk("Material m\t\tcolorkey 10 20 30  " + comment + "\nEnd\nMaterial n End\n"));
    EXPECT_EQ(InstalledAlone("Material m\n" + std::string(150, ' ') + "End " + comment + "\nMaterial n End\n",
                             colorkey),
              Disk("Material m\n" + std::string(150, ' ') + " " + comment +
                   "\n\tcolorkey 10 20 30 End\n"
                   "Material n End\n"));
}

TEST_F(MaterialsUpdate, TwoMaterialsInOneRunAndTheSameInstallationTwice)
{
    Colorkey(Material("a"), "1", "2", "3");
    Scroll(Material("b"), "4", "5", "6");
    EXPECT_EQ(
        Installed("Material a\t\tcolorkey 0 0 0 End\n"),
        Disk("Material a\t\tcolorkey 1 2 3 \nEnd\n\n//-- Test Run\nMaterial b\t\t\n\tscroll 4 5 6 End\n"));
    EXPECT_EQ(Run(), RunOutcome::Completed);
    EXPECT_EQ(game.Read(kCxp), Disk("Material a\t\tcolorkey 1 2 3 \n\nEnd\n\n//-- Test Run\nMaterial b\t\t\n"
                                    "\tscroll 4 5 6 \nEnd\n"));
}

TEST_F(MaterialsUpdate, NamesAndWordsMatchOnlyWholeAndOutsideComments)
{
    auto colorkey = [&](int i) { Colorkey(i, "1", "2", "3"); };
    mission = MultiplayerMission();
    colorkey(Material("wall"));
    EXPECT_EQ(Installed("Material wall2\t\tcolorkey 0 0 0 End\nMaterial wall// rock\n\tcolorkey 0 0 0 End\n"),
              Disk("Material wall2\t\tcolorkey 0 0 0 End\nMaterial wall// rock\n\tcolorkey 1 2 3 \nEnd\n"));

    mission = MultiplayerMission();
    colorkey(Material("FrontEnd"));
    EXPECT_EQ(Installed("Material FrontEnd\n\tcolorkey 0 0 0\nEnd\n"),
              Disk("Material FrontEnd\n\tcolorkey 1 2 3\n\nEnd\n"));

    EXPECT_EQ(InstalledAlone("Material m // no colorkey here 5 6 7\nEnd\n", colorkey),
              Disk("Material m // no colorkey here 5 6 7\n\n\tcolorkey 1 2 3 End\n"));
    EXPECT_EQ(InstalledAlone("Material m /* End of\n the note */ colorkey 0 0 0\nEnd\n", colorkey),
              Disk("Material m /* End of\n the note */ colorkey 1 2 3\n\nEnd\n"));
    EXPECT_EQ(InstalledAlone("Material m\n\tanimated 0 80 1\n\tscroll.bmp\nEnd\n",
                             [&](int i) { Scroll(i, "1", "2", "3"); }),
              Disk("Material m\n\tanimated 0 80 1\n\tscroll.bmp\n\n\tscroll 1 2 3 End\n"));
}

TEST_F(MaterialsUpdate, FilesThatCannotBeOpenedFailAndRestore)
{
    struct Case
    {
        std::string path;
        OpenMode mode;
        int opening;
        std::string message;
    };
    const std::string cxp = CxpPath();
    const std::string temp = TempPath();
    for (const Case& c : {Case{cxp, OpenMode::ReadWrite, 1, "Error opening file " + cxp + "."},
                          Case{temp, OpenMode::Read, 1, "Error opening file " + temp + "."},
                          // The file is written whole through its temporary sibling.
                          Case{TemporarySibling(cxp), OpenMode::Write, 1, "Error opening file " + cxp + "."},
                          Case{cxp, OpenMode::ReadWrite, 2, "Error opening file " + cxp + "."}})
    {
        frontEnd = CRecordingFrontEnd();
        fileSystem.Refuse(c.path, c.mode, c.opening);
        mission = MultiplayerMission();
        Colorkey(Material("gh_neon_sign"), "1", "2", "3");
        SCOPED_TRACE(c.opening);
        ExpectFailsAndRestores(c.message);
    }

    fileSystem.Refuse("", OpenMode::Read, 0);
    frontEnd = CRecordingFrontEnd();
    fs::remove(game.Path("data/Backup/Temp/kxbEffects.txt"));
    fs::create_directories(game.Path("data/Backup/Temp/kxbEffects.txt"));
    ExpectFailsAndRestores("Error opening temporary file " + temp + ".");
}

TEST_F(MaterialsUpdate, TheSearchGivesUpAfterAThousandEntries)
{
    Material("m");
    std::string cxp;
    for (int i = 0; i < 1000; ++i)
        cxp += "Material x" + std::to_string(i) + " End\n";
    EXPECT_EQ(Installed(cxp), Disk(cxp + "\n//-- Test Run\nMaterial m\t\tEnd\n"))
        << "a last entry is examined";

    game.Write(kCxp, Disk("// one more\nMaterial y End\n" + cxp));
    ExpectFailsAndRestores("This error is caused by the " + game.Directory() +
                           "data\\texture\\sherman.cxp file being over 1000 lines long.");
}

TEST_F(MaterialsUpdate, BlocksThatEndTooSoonFailAndRestore)
{
    const std::string readError =
        "Error reading from file " + game.Directory() + "data\\texture\\sherman.cxp";
    struct Case
    {
        const char* cxp;
        std::string message;
    };
    for (const Case& c :
         {Case{"Material m colorkey 1 2 End\nMaterial n colorkey 4 5 6 End\n", readError},
          Case{"Material m\n\tanimated 0 80 3\n\ta.bmp\n\tb.bmp\nEnd\nMaterial n animated 0 1 1 c.bmp End\n",
               readError}})
    {
        mission = MultiplayerMission();
        const int i = Material("m");
        Colorkey(i, "1", "2", "3");
        Animate(i, 0, "50", {"t.bmp"});
        frontEnd = CRecordingFrontEnd();
        game.Write(kCxp, Disk(c.cxp));
        SCOPED_TRACE(c.cxp);
        ExpectFailsAndRestores(c.message);
    }

    // A block without any End never reaches the rewrite: the game checks stop the run before its backup.
    frontEnd = CRecordingFrontEnd();
    game.Write(kCxp, Disk("Material m colorkey 1 2 3\n// End\n"));
    const auto before = game.GameFiles();
    EXPECT_EQ(Run(), RunOutcome::StoppedBeforeChange);
    EXPECT_EQ(frontEnd.errors,
              std::vector<std::string>{"The block of material m in data\\texture\\sherman.cxp, "
                                       "line 1, has no End before the end of the file."});
    EXPECT_EQ(game.GameFiles(), before);
}

TEST_F(MaterialsUpdate, ABlockWhoseTexturesCannotBeFoundIsDumpedAndEverythingRestored)
{
    mission = CTestGame::Mission();
    Colorkey(Material("fresh"), "1", "2", "3");
    Animate(Material("m"), 1, "250", {"n.bmp"});
    game.Write(kCxp, Disk("// first\nMaterial m\n\tanimated 0 80\n\ta.bmp\nEnd\n"));
    const std::string message = "The material block of m in " + CxpPath() + " could not be read.";
    ExpectFailsAndRestores(message + " Its lines were written to kxmaterials.txt.");
    EXPECT_EQ(game.Read("kxmaterials.txt"),
              Disk("// first\nMaterial m\n\tanimated 1 250\n\ta.bmp\n\n\n\npos = 0\nmax = 1\nstr = -a.bmp-\n"
                   "repStr = --\nfileArray[cntFind] = -\n-\nanimCount = 2\nsubCount = -1"));

    fs::remove(game.Path("kxmaterials.txt"));
    fs::create_directories(game.Path("kxmaterials.txt"));
    frontEnd = CRecordingFrontEnd();
    ExpectFailsAndRestores(message);
}

} // namespace
