#include "FaultInjectingFileSystem.h"
#include "InstallationRun.h"
#include "KxvuzRun.h"
#include "MemoryFileSystem.h"
#include "MissionFile.h"
#include "MissionJson.h"
#include "RecordingFrontEnd.h"
#include "TestGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace
{

namespace fs = std::filesystem;

const std::string kGame = "C:\\Korvex\\";
const std::string kMissions = "C:\\missions\\";

// The path with "." and ".." resolved and every separator a backslash, in lower case.
std::string Resolved(const std::string& path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t end = path.find_first_of("\\/", start);
        std::string part = path.substr(start, end - start);
        for (char& c : part)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (part == "..")
        {
            if (!parts.empty())
                parts.pop_back();
        }
        else if (!part.empty() && part != ".")
            parts.push_back(part);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    std::string resolved;
    for (const std::string& part : parts)
        resolved += (resolved.empty() ? "" : "\\") + part;
    return resolved;
}

// Every path the file system was given, from its record ("Open r+ C:\...", "Rename A > B").
std::vector<std::string> PathsTouched(const CFaultInjectingFileSystem& fileSystem)
{
    std::vector<std::string> paths;
    for (const std::string& record : fileSystem.Touched())
    {
        std::string rest = record.substr(record.find(' ') + 1);
        if (record.rfind("Open ", 0) == 0)
            rest = rest.substr(rest.find(' ') + 1);
        const std::size_t arrow = rest.find(" > ");
        paths.push_back(rest.substr(0, arrow));
        if (arrow != std::string::npos)
            paths.push_back(rest.substr(arrow + 3));
    }
    return paths;
}

bool Writes(const std::string& record)
{
    return record.rfind("Open r ", 0) != 0 && record.rfind("GetStatus ", 0) != 0;
}

class HostileMission : public ::testing::Test
{
protected:
    CMemoryFileSystem memory{fs::path(KX_SAMPLE_DIR) / "game", kGame};
    CFaultInjectingFileSystem recorder{memory};

    void SetUp() override { ASSERT_TRUE(memory.CreateFolder("C:\\missions")); }
};

TEST_F(HostileMission, RejectedMissionFilesLeadToNoWriteAnywhere)
{
    const std::string valid = EncodeMission(CTestGame::Mission());
    CMissionDefinition unnamed = CTestGame::Mission();
    unnamed.missionName.clear();
    CMissionDefinition escaping = CTestGame::Mission();
    escaping.briefingFile = "..\\..\\..\\escape.brf";
    CMissionDefinition device = CTestGame::Mission();
    device.intelFile = "CON.int";
    const std::vector<std::pair<std::string, std::string>> rejected = {
        {"cut.kxm", valid.substr(0, valid.size() / 2)}, {"empty.kxm", ""},
        {"broken.json", "{\"missionName\": "},          {"unnamed.kxm", EncodeMission(unnamed)},
        {"escaping.kxm", EncodeMission(escaping)},      {"escaping.json", MissionToJson(escaping)},
        {"device.kxm", EncodeMission(device)},          {"folder.kxm", ""},
    };
    for (const auto& [name, bytes] : rejected)
        memory.Write(kMissions + name, bytes);
    memory.Remove(kMissions + "folder.kxm");
    memory.CreateFolder(kMissions + "folder.kxm");
    const auto before = memory.Files();

    for (const auto& [name, bytes] : rejected)
    {
        SCOPED_TRACE(name);
        const KxvuzResult result = Kxvuz({"install", "--game", "C:\\Korvex", kMissions + name}, recorder);
        EXPECT_NE(result.status, 0);
        EXPECT_NE(result.err, "");
        for (const std::string& record : recorder.Touched())
            EXPECT_FALSE(Writes(record)) << record;
        EXPECT_TRUE(memory.Files() == before);
    }
    EXPECT_GE(recorder.Touched().size(), rejected.size())
        << "each mission file was read through the recorder";
}

TEST_F(HostileMission, CraftedFileNamesNeverLeadOutsideTheGame)
{
    const std::string log = "C:\\Korvex\\kxinstall.log";
    int runs = 0;
    for (const char* name : {"..\\..\\..\\escape.brf", "../../escape.brf", "C:\\escape.brf", "C:escape.brf",
                             "\\\\server\\share\\escape.brf", "..", ".", "NUL", "con.brf", "LPT1",
                             "escape.brf.", "escape.brf ", "tab\tname.brf"})
        for (const bool intel : {false, true})
        {
            SCOPED_TRACE(std::string(name) + (intel ? " as the intel file" : " as the briefing file"));
            CMissionDefinition mission = CTestGame::Mission();
            (intel ? mission.intelFile : mission.briefingFile) = name;
            CRecordingFrontEnd frontEnd;
            // A mission file read straight into the run, never checked by a dialog or by kxvuz.
            CInstallationRun run(recorder, frontEnd, kGame, mission, log);
            EXPECT_EQ(run.RunInstallation(), RunOutcome::StoppedBeforeChange);
            ++runs;
        }
    ASSERT_EQ(runs, 26);
    ASSERT_GE(recorder.Touched().size(), 26u * 3);
    for (const std::string& path : PathsTouched(recorder))
    {
        EXPECT_EQ(Resolved(path).rfind(Resolved(kGame), 0), 0u) << path;
        EXPECT_EQ(path.find("escape"), std::string::npos) << path;
    }
    // The run's own log and its lock on the game, with the folder that holds it, are all it writes.
    for (const std::string& record : recorder.Touched())
        EXPECT_TRUE(!Writes(record) || record.find("kxinstall.log") != std::string::npos ||
                    record.find("kxvuz.lock") != std::string::npos ||
                    record == "CreateFolder " + kGame + "data\\Backup")
            << record;
}

TEST(UnusableFileNames, AreTheOnesThatCannotNameAFileOfTheirOwn)
{
    for (const char* name : {".", "..", "...", "NUL", "con", "Con.brf", "aux.int", "PRN", "COM1", "lpt9.brf",
                             "conin$", "name.brf.", "name.brf ", "tab\tname.brf", "bell\x07"})
    {
        CMissionDefinition mission = CTestGame::Mission();
        mission.briefingFile = name;
        EXPECT_EQ(mission.UnusableFileNameMessage(),
                  CString("The file name ") + name + " cannot be used for a file in the game's folders.")
            << name;
    }
    for (const char* name : {"Harbor01.brf", "", "console.brf", "COM10.brf", "LPT0", "nul-run.brf",
                             ".hidden.brf", "Caf\xE9.brf"})
    {
        CMissionDefinition mission = CTestGame::Mission();
        mission.intelFile = name;
        EXPECT_FALSE(mission.UnusableFileNameMessage()) << name;
    }
}

} // namespace
