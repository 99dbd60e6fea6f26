#include "MissionFile.h"
#include "FileSystem.h"
#include "TestFiles.h"
#include "TestMissions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace
{

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values)
        bytes += static_cast<char>(value);
    return bytes;
}

// A record whose lists differ from anything a test decodes, to see that loading replaces them.
CMissionDefinition OldMission()
{
    CMissionDefinition mission;
    mission.missionName = "old";
    mission.tutorialGroup = "old group";
    mission.AddToken("OLD");
    mission.AddMaterial("old material");
    mission.AddTexture(0, "old.bmp");
    return mission;
}

bool ListsEmpty(const CMissionDefinition& mission)
{
    CMissionDefinition cleared = mission;
    cleared.ClearLists();
    return cleared == mission;
}

// The mission name's encoding: it is the first item of the file.
std::string EncodedName(const std::string& name)
{
    CMissionDefinition mission;
    mission.missionName = name;
    const std::string bytes = EncodeMission(mission);
    return bytes.substr(0, bytes.size() - 52);
}

void ExpectReadError(std::string_view bytes, const char* why)
{
    CMissionDefinition mission = OldMission();
    const MissionFileResult result = DecodeMission(bytes, mission);
    EXPECT_EQ(result.status, MissionFileStatus::ReadError) << why;
    EXPECT_FALSE(result.detail.empty()) << why;
    EXPECT_TRUE(ListsEmpty(mission)) << why;
}

// Every file opens, none can be read, and writes stop at writeLimit bytes.
class CFailingFileSystem : public IFileSystem
{
public:
    bool failClose = false;
    std::size_t writeLimit = std::numeric_limits<std::size_t>::max();

    std::unique_ptr<IFile> Open(const std::string&, OpenMode) override
    {
        return std::make_unique<File>(*this);
    }
    bool Rename(const std::string&, const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }
    bool CreateFolder(const std::string&) override { return false; }
    std::optional<FileStatus> GetStatus(const std::string&) override { return std::nullopt; }
    bool SetReadOnly(const std::string&, bool) override { return false; }
    FileLockAttempt Lock(const std::string&) override { return {}; }
    std::string TakeFailureReason() override { return {}; }

private:
    struct File : IFile
    {
        explicit File(CFailingFileSystem& owner) : owner(owner) {}
        std::int64_t Read(char*, std::size_t) override { return -1; }
        std::size_t Write(const char*, std::size_t size) override { return std::min(size, owner.writeLimit); }
        bool Seek(std::int64_t) override { return false; }
        bool Truncate() override { return false; }
        bool Flush() override { return true; }
        bool Close() override { return !owner.failClose; }
        CFailingFileSystem& owner;
    };
};

} // namespace

TEST(MissionFileEncode, DefaultRecordIsFiftyThreeZeroBytes)
{
    EXPECT_EQ(EncodeMission(CMissionDefinition{}), std::string(53, '\0'));
}

TEST(MissionFileEncode, TextLengthPrefixes)
{
    EXPECT_EQ(EncodedName("abc"), "\x03"
                                  "abc");
    EXPECT_EQ(EncodedName(std::string(254, 'x')), "\xFE" + std::string(254, 'x'));
    EXPECT_EQ(EncodedName(std::string(255, 'x')), Bytes({0xFF, 0xFF, 0x00}) + std::string(255, 'x'));
    EXPECT_EQ(EncodedName(std::string(300, 'x')), Bytes({0xFF, 0x2C, 0x01}) + std::string(300, 'x'));
    EXPECT_EQ(EncodedName(std::string(0xFFFD, 'x')), Bytes({0xFF, 0xFD, 0xFF}) + std::string(0xFFFD, 'x'));
    // 0xFFFE as a 16-bit length would be the UTF-16 marker, so it takes the 32-bit form.
    EXPECT_EQ(EncodedName(std::string(0xFFFE, 'x')),
              Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}) + std::string(0xFFFE, 'x'));
    for (std::size_t size : {254, 255, 0xFFFD, 0xFFFE, 0x10000})
    {
        CMissionDefinition mission;
        mission.missionName = std::string(size, 'y');
        CMissionDefinition loaded;
        ASSERT_TRUE(DecodeMission(EncodeMission(mission), loaded).Ok()) << size;
        EXPECT_EQ(loaded, mission) << size;
    }
}

TEST(MissionFileEncode, FlagsAndIntegersAreLittleEndian)
{
    CMissionDefinition mission;
    mission.duskreachTraining = 1;
    mission.multiplayer = -2;
    mission.textureStarts = {0, 2};
    const std::string bytes = EncodeMission(mission);
    EXPECT_EQ(bytes.substr(7, 4), Bytes({0x01, 0x00, 0x00, 0x00}));
    EXPECT_EQ(bytes.substr(15, 4), Bytes({0xFE, 0xFF, 0xFF, 0xFF}));
    // Fifteen empty text lists come before the texture starts, the empty texture list after.
    EXPECT_EQ(bytes.substr(49), Bytes({0x02, 0x00, 0, 0, 0, 0, 0x02, 0, 0, 0, 0x00, 0x00}));
}

TEST(MissionFileEncode, CountsBelowAndFrom0xFFFF)
{
    for (std::size_t count : {0xFFFE, 0xFFFF})
    {
        CMissionDefinition mission;
        mission.intelEntries.assign(count, "");
        const std::string bytes = EncodeMission(mission);
        const std::string expected =
            count == 0xFFFE ? Bytes({0xFE, 0xFF}) : Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00});
        EXPECT_EQ(bytes.substr(19, expected.size()), expected) << count;
        CMissionDefinition loaded;
        ASSERT_TRUE(DecodeMission(bytes, loaded).Ok()) << count;
        EXPECT_EQ(loaded, mission) << count;
    }
}

TEST(MissionFileDecode, RoundTripReplacesEveryFieldAndIgnoresTrailingBytes)
{
    const CMissionDefinition mission = FilledMission();
    ASSERT_TRUE(mission.ListsConsistent());
    CMissionDefinition loaded = OldMission();
    const MissionFileResult result = DecodeMission(EncodeMission(mission) + "trailing", loaded);
    EXPECT_TRUE(result.Ok()) << result.detail;
    EXPECT_TRUE(result.detail.empty());
    EXPECT_EQ(loaded, mission);
}

TEST(MissionFileDecode, FileCutAtAnyPointIsAReadErrorWithEmptyLists)
{
    const std::string bytes = EncodeMission(FilledMission());
    for (std::size_t size = 0; size < bytes.size(); ++size)
        ExpectReadError(std::string_view(bytes).substr(0, size), "cut");

    // Cut inside the tutorial group: the first two texts are new, the rest untouched.
    const CMissionDefinition full = FilledMission();
    CMissionDefinition mission = OldMission();
    const std::size_t cut = 1 + full.missionName.size() + 1 + full.timeDateStamp.size() + 3;
    EXPECT_FALSE(DecodeMission(bytes.substr(0, cut), mission).Ok());
    CMissionDefinition expected = OldMission();
    expected.missionName = full.missionName;
    expected.timeDateStamp = full.timeDateStamp;
    expected.ClearLists();
    EXPECT_EQ(mission, expected);
}

TEST(MissionFileDecode, HugeCountsAndLengthsFailBeforeAllocating)
{
    const std::string huge32 = Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    ExpectReadError(huge32 + "abc", "32-bit text length");
    ExpectReadError(Bytes({0xFF, 0xFD, 0xFF}) + "abc", "16-bit text length");
    ExpectReadError(Bytes({0xFF, 0xFE, 0xFF}) + huge32.substr(1) + "ab", "UTF-16 unit count");

    const std::string head(19, '\0');
    ExpectReadError(head + Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + std::string(100, '\0'), "text list");
    // Sixteen empty text lists, then 100 integers announced with 399 bytes left.
    ExpectReadError(head + std::string(30, '\0') + Bytes({100, 0}) + std::string(399, '\0'), "integer list");
}

TEST(MissionFileDecode, ListsThatDoNotFitTogetherAreRejected)
{
    CMissionDefinition tokens = FilledMission();
    tokens.victoryDescriptions.pop_back();
    CMissionDefinition colorkey = FilledMission();
    colorkey.colorkeyBlue.push_back("1");
    CMissionDefinition starts = FilledMission();
    starts.textureStarts.back() = 4;
    CMissionDefinition unordered = FilledMission();
    unordered.textureStarts = {0, 2, 1};
    CMissionDefinition firstStart = FilledMission();
    firstStart.textureStarts.front() = 1;
    for (const CMissionDefinition* broken : {&tokens, &colorkey, &starts, &unordered, &firstStart})
        ExpectReadError(EncodeMission(*broken), "inconsistent lists");
}

TEST(MissionFileDecode, LineBreaksInTextsAreRejected)
{
    CMissionDefinition name;
    name.missionName = "Op\nDawn";
    CMissionDefinition texture = FilledMission();
    texture.textures.back() = "fire.bmp\r";
    CMissionDefinition description = FilledMission();
    description.victoryDescriptions[0] = "line\r\nbreak";
    for (const CMissionDefinition* broken : {&name, &texture, &description})
        ExpectReadError(EncodeMission(*broken), "line break");
}

TEST(MissionFileDecode, Utf16TextsAreConvertedToTheCodePage)
{
    const std::string tail = EncodeMission(CMissionDefinition{}).substr(1);
    CMissionDefinition mission;
    const MissionFileResult result =
        DecodeMission(Bytes({0xFF, 0xFE, 0xFF, 3, 'O', 0, 'p', 0, 0x00, 0x4E}) + tail, mission);
    EXPECT_TRUE(result.Ok()) << result.detail;
    EXPECT_EQ(mission.missionName, "Op?");

    std::string units;
    for (int i = 0; i < 300; ++i)
        units += {'z', '\0'};
    ASSERT_TRUE(DecodeMission(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01}) + units + tail, mission).Ok());
    EXPECT_EQ(mission.missionName, std::string(300, 'z'));

    ExpectReadError(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0}) + tail, "marker twice");
    ExpectReadError(Bytes({0xFF, 0xFE, 0xFF, 2, '\r', 0, '\n', 0}) + tail, "UTF-16 line break");
}

TEST(MissionFileName, DefaultDropsCharactersNoFileNameMayHold)
{
    EXPECT_EQ(DefaultMissionFileName("Op: Dawn/Dusk"), "Op DawnDusk");
    EXPECT_EQ(DefaultMissionFileName("a\\b/c:d*e?f\"g<h>i|j.kxm"), "abcdefghij.kxm");
    EXPECT_EQ(DefaultMissionFileName(""), "");
}

TEST(MissionFileStorage, RoundTripThroughTheRealFileSystem)
{
    const CScratchFolder folder;
    const std::string path = folder / "Op DawnDusk.kxm";
    WriteBytes(path, "longer old content that Save must replace entirely");
    CMissionDefinition mission = FilledMission();
    // Longer than one read buffer.
    mission.textures.back() = std::string(9000, 't');
    ASSERT_TRUE(SaveMissionFile(NativeFileSystem(), path, mission).Ok());
    EXPECT_EQ(ReadBytes(path), EncodeMission(mission));

    CMissionDefinition loaded = OldMission();
    ASSERT_TRUE(LoadMissionFile(NativeFileSystem(), path, loaded).Ok());
    EXPECT_EQ(loaded, mission);
}

TEST(MissionFileStorage, FailuresAreReportedByKind)
{
    const CScratchFolder folder;
    CMissionDefinition mission = OldMission();
    EXPECT_EQ(LoadMissionFile(NativeFileSystem(), folder / "none.kxm", mission).status,
              MissionFileStatus::OpenFailed);
    // Nothing was read, so nothing was emptied.
    EXPECT_EQ(mission, OldMission());
    EXPECT_EQ(SaveMissionFile(NativeFileSystem(), folder / "no folder/a.kxm", mission).status,
              MissionFileStatus::OpenFailed);

    CFailingFileSystem failing;
    failing.writeLimit = 10;
    EXPECT_EQ(SaveMissionFile(failing, "a.kxm", mission).status, MissionFileStatus::WriteError);
    failing.writeLimit = std::numeric_limits<std::size_t>::max();
    failing.failClose = true;
    EXPECT_EQ(SaveMissionFile(failing, "a.kxm", mission).status, MissionFileStatus::WriteError);

    const MissionFileResult result = LoadMissionFile(failing, "a.kxm", mission);
    EXPECT_EQ(result.status, MissionFileStatus::ReadError);
    EXPECT_FALSE(result.detail.empty());
    EXPECT_TRUE(ListsEmpty(mission));
}
