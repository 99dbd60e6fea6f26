#include "FaultInjectingFileSystem.h"
#include "FileReplace.h"
#include "KxvuzRun.h"
#include "MemoryFileSystem.h"
#include "MissionFile.h"
#include "RecordedInstallation.h"
#include "RecordingFrontEnd.h"
#include "TestGame.h"
#include "TestMissions.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <functional>
#include <regex>
#include <set>

namespace
{

const std::string kGame = "C:\\Korvex\\";
const std::string kMissionList = "data\\mission\\mission.lst";
const std::string kTable = "data\\text\\interface\\english\\kx_string_table.txt";

std::string Hash(const std::string& bytes)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx",
                  static_cast<unsigned long long>(XXH64(bytes.data(), bytes.size(), 0)));
    return text;
}

// A checked text with its last line made anew for what precedes it.
std::string Resealed(const std::string& bytes)
{
    const std::string body = bytes.substr(0, bytes.rfind("end "));
    return body + "end " + Hash(body) + "\r\n";
}

// kxvuz on a scratch copy of the sample game, its log in a scratch working folder.
class InstallationRecords : public ::testing::Test
{
protected:
    CScratchWorkingFolder working;
    std::optional<CTestGame> game{std::in_place};
    std::string dir = game->Directory();
    std::string records = dir + "data\\Backup\\Installed\\";

    void NewGame()
    {
        game.emplace();
        dir = game->Directory();
        records = dir + "data\\Backup\\Installed\\";
    }
    KxvuzResult Run(std::vector<std::string> words) { return Kxvuz(std::move(words)); }
    KxvuzResult Install(const char* mission, std::vector<std::string> options = {})
    {
        WriteBytes(working.Path() / mission, EncodeMission(SampleMission(mission)));
        std::vector<std::string> words = {"install", "--game", dir};
        words.insert(words.end(), options.begin(), options.end());
        words.push_back(mission);
        return Run(words);
    }
    InstallationHistory History() { return ReadInstallationHistory(NativeFileSystem(), dir); }
    std::string Read(const std::string& path) { return ReadFileBytes(NativeFileSystem(), path).value_or(""); }
    void Write(const std::string& path, const std::string& bytes)
    {
        ASSERT_TRUE(ReplaceFile(NativeFileSystem(), path, bytes));
    }
    // Every file of the game, the backup folder and the records included, and of the working folder.
    std::map<std::string, std::string> Everything() const
    {
        std::map<std::string, std::string> files = GameFilesIn(working.Path());
        for (const auto& entry : std::filesystem::recursive_directory_iterator(game->Path("")))
            if (entry.is_regular_file())
                files[entry.path().string()] = ReadBytes(entry.path());
        return files;
    }
    std::size_t StoredContents() const
    {
        const auto folder = game->Path("data/Backup/Installed/contents");
        return std::distance(std::filesystem::directory_iterator(folder),
                             std::filesystem::directory_iterator());
    }
    // What the list shows, the times made "<time>".
    std::string List()
    {
        const KxvuzResult result = Run({"list", "--game", dir});
        EXPECT_EQ(result.status, 0) << result.err;
        return std::regex_replace(result.out, std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d"),
                                  "<time>");
    }
};

TEST_F(InstallationRecords, ListShowsEachInstallationAndWhatChangedSinceAndRestoreDropsTheNewest)
{
    EXPECT_EQ(List(), "No installations recorded in " + dir + ".\n");
    const std::string table = Read(dir + kTable);
    ASSERT_EQ(Install("Harbor01.kxm").status, 0);
    const std::string afterHarbor = Read(dir + kTable);
    ASSERT_EQ(Install("MPFoundry.kxm").status, 0);
    EXPECT_EQ(List(), "1  Harbor Lights  <time>  Harbor01.mis\n2  Foundry Skirmish  <time>  MPFoundry.mis\n");

    const InstallationHistory history = History();
    ASSERT_EQ(history.records.size(), 2u);
    EXPECT_EQ(history.records[0].mission, EncodeMission(SampleMission("Harbor01.kxm")));
    EXPECT_NE(history.records[1].log.find("Installation complete for Foundry Skirmish."), std::string::npos);
    // Every changed file with its bytes before and after; the string table that both changed links them.
    for (const InstallationRecord& record : history.records)
        for (const InstallationRecord::File& file : record.files)
            EXPECT_NE(file.before, file.after) << file.gamePath;
    EXPECT_EQ(history.records[0].files[3].before, table);
    EXPECT_EQ(history.records[1].files[0].before, afterHarbor);
    // Each content is stored once however many records name it.
    std::set<std::string> pieces;
    for (const InstallationRecord& record : history.records)
    {
        pieces.insert({record.mission, record.log});
        for (const InstallationRecord::File& file : record.files)
            pieces.insert({file.before, file.after});
    }
    EXPECT_EQ(StoredContents(), pieces.size());

    const nlohmann::json json = nlohmann::json::parse(Run({"list", "--json", "--game", dir}).out);
    EXPECT_EQ(json["game"], dir);
    EXPECT_EQ(json["installations"][1]["number"], 2);
    EXPECT_EQ(json["installations"][1]["mission"], "Foundry Skirmish");
    EXPECT_EQ(json["installations"][1]["files"], (nlohmann::json{kTable, "data\\texture\\sherman.cxp"}));
    EXPECT_EQ(json["changed"], nlohmann::json::array());

    Write(dir + kMissionList, Read(dir + kMissionList) + "// edited by hand\r\n");
    EXPECT_EQ(List(), "1  Harbor Lights  <time>  Harbor01.mis\n2  Foundry Skirmish  <time>  MPFoundry.mis\n"
                      "changed since the last installation: " +
                          kMissionList + "\n");
    // --diff shows what the hand edit did.
    const std::string diff = Run({"list", "--diff", "--game", dir}).out;
    EXPECT_NE(diff.find("changed since the last installation: " + kMissionList +
                        "\n--- a/data/mission/mission.lst\n+++ b/data/mission/mission.lst\n@@ "),
              std::string::npos)
        << diff;
    EXPECT_TRUE(diff.ends_with(" // end of mission list\n+// edited by hand\n")) << diff;

    ASSERT_EQ(Run({"restore", "--game", dir}).status, 0);
    EXPECT_EQ(History().records.size(), 1u);
    EXPECT_EQ(StoredContents(), 2 + 2 * History().records[0].files.size()) << "contents no record names go";
}

TEST_F(InstallationRecords, TheReaderRefusesAnythingItDidNotWriteWhole)
{
    ASSERT_EQ(Install("Harbor01.kxm").status, 0);
    const std::string index = records + "index.txt";
    const std::string record = records + "records\\000001.txt";
    const std::string content = records + "contents\\" + Hash(Read(dir + kMissionList));
    ASSERT_TRUE(NativeFileSystem().GetStatus(content));
    // The record's checksum in the index, made anew too.
    auto resealBoth = [&](const std::string& recordBytes)
    {
        const std::string old = Read(record);
        Write(record, Resealed(recordBytes));
        std::string indexBytes = Read(index);
        indexBytes.replace(indexBytes.find(Hash(old)), 16, Hash(Read(record)));
        Write(index, Resealed(indexBytes));
    };
    auto edit = [&](const std::string& path, const std::string& from, const std::string& to, bool reseal)
    {
        return [=, this]
        {
            std::string bytes = Read(path);
            bytes.replace(bytes.find(from), from.size(), to);
            if (!reseal)
                Write(path, bytes);
            else if (path == record)
                resealBoth(bytes);
            else
                Write(path, Resealed(bytes));
        };
    };
    const struct
    {
        const char* what;
        std::function<void()> damage;
        std::string named;
    } cases[] = {
        {"an index cut short", [&] { Write(index, Read(index).substr(0, 60)); }, index},
        {"an index of an unknown version", edit(index, "installations 1", "installations 2", true), index},
        {"an index that names another mission", edit(index, "Harbor Lights", "Harbor Light", true), index},
        {"a record edited", edit(record, "Harbor Lights", "Harbor Light", false), record},
        {"a record of an unknown version", edit(record, "record 1", "record 2", true), record},
        {"a content changed", edit(content, "mission", "Mission", false), content},
        {"a path with ..", edit(record, "\t" + kMissionList, "\t..\\" + kMissionList, true), record},
        {"a path with a drive", edit(record, "\t" + kMissionList, "\tC:\\" + kMissionList, true), record},
        {"a path from the root", edit(record, "\t" + kMissionList, "\t\\" + kMissionList, true), record},
    };
    const auto installed = Everything();
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        for (const auto& [path, bytes] : installed)
            WriteBytes(path, bytes);
        c.damage();
        EXPECT_EQ(History().damaged, c.named);
        const auto before = Everything();
        for (const auto& words : {std::vector<std::string>{"list", "--game", dir},
                                  {"install", "--again", "--game", dir, "Harbor01.kxm"}})
        {
            const KxvuzResult result = Run(words);
            EXPECT_EQ(result.status, 2);
            EXPECT_NE(result.err.find(c.named), std::string::npos) << result.err;
        }
        EXPECT_TRUE(Everything() == before);
    }
}

TEST_F(InstallationRecords, AMissionInstalledAlreadyIsRefusedUnlessAgain)
{
    const struct
    {
        const char* mission;
        std::function<void()> prepare;
        std::string refusal;
    } cases[] = {
        {"Harbor01.kxm", [] {}, "Harbor Lights is already installed in this game (installation 1, <time>)"},
        {"Ridge02.kxm", [] {}, "Ridge Line is already installed in this game (installation 1, <time>)"},
        {"MPFoundry.kxm", [] {},
         "Foundry Skirmish is already installed in this game (installation 1, <time>)"},
        {"Harbor01.kxm", [&] { std::filesystem::remove_all(game->Path("data/Backup/Installed")); },
         "Harbor01.mis is already in " + kMissionList +
             ", from an installation made before records were kept"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.refusal);
        NewGame();
        ASSERT_EQ(Install(c.mission).status, 0);
        c.prepare();
        const auto before = Everything();
        const std::string advice = "; kxvuz install --again installs it again.\n";
        const std::regex time("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d");
        const KxvuzResult refused = Install(c.mission);
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(std::regex_replace(refused.err, time, "<time>"), "kxvuz: " + c.refusal + advice);
        EXPECT_TRUE(Everything() == before) << "a refusal writes nothing, not even the log";
        const KxvuzResult check = Run({"check", "--game", dir, c.mission});
        EXPECT_EQ(check.status, 1);
        EXPECT_EQ(std::regex_replace(check.out.substr(0, check.out.find('\n') + 1), time, "<time>"),
                  "problem: " + c.refusal + advice);
        EXPECT_EQ(Install(c.mission, {"--again"}).status, 0);
    }
    // Taken back by the restore, a multiplayer mission is no longer installed.
    NewGame();
    ASSERT_EQ(Install("MPFoundry.kxm").status, 0);
    ASSERT_EQ(Run({"restore", "--game", dir}).status, 0);
    EXPECT_EQ(Install("MPFoundry.kxm").status, 0);
}

TEST(InstallationRecord, ARunThatCannotKeepItsRecordOrIsCancelledAtDoneLeavesNone)
{
    CMemoryFileSystem memory{std::filesystem::path(KX_SAMPLE_DIR) / "game", kGame};
    const std::string kRecords = kGame + "data\\Backup\\Installed\\";
    const auto before = memory.Files();
    CFaultInjectingFileSystem faulty(memory);
    faulty.FailEvery(
        [](const std::string& operation) {
            return operation.find("Installed\\index.txt") != std::string::npos &&
                   operation.rfind("Open w", 0) == 0;
        },
        CFaultInjectingFileSystem::Fault::DiskFull);
    CRecordingFrontEnd frontEnd;
    CRecordedInstallation failing(faulty, frontEnd, kGame, SampleMission("Harbor01.kxm"),
                                  "C:\\kxinstall.log");
    EXPECT_EQ(failing.RunInstallation(), RunOutcome::FailedAndRestored);
    EXPECT_EQ(frontEnd.errors,
              std::vector<std::string>{"Error writing the installation record " + kRecords + "index.txt."});

    CRecordingFrontEnd cancelling;
    CRecordedInstallation cancelled(memory, cancelling, kGame, SampleMission("Harbor01.kxm"),
                                    "C:\\kxinstall.log");
    cancelling.whileMessageShown = [&cancelled] { cancelled.Cancel(); };
    EXPECT_EQ(cancelled.RunInstallation(), RunOutcome::Cancelled);
    EXPECT_TRUE(ReadInstallationHistory(memory, kGame).records.empty());
    auto after = memory.Files();
    for (auto file = after.begin(); file != after.end();)
        file = file->first.rfind(kGame + "data\\Backup\\", 0) == 0 || file->first == "C:\\kxinstall.log"
                   ? after.erase(file)
                   : std::next(file);
    auto game = before;
    EXPECT_TRUE(after == game);
}

} // namespace
