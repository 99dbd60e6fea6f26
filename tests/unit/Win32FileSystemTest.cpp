// Windows' own ways with files held by others, under Wine.
#include "FileSystem.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>
#include <windows.h>

namespace
{

namespace fs = std::filesystem;

// What each does, and the operation, true when it succeeds.
using Operations = std::vector<std::pair<const char*, std::function<bool()>>>;

class Win32FileSystemTest : public ::testing::Test
{
protected:
    CScratchFolder folder;
    IFileSystem& fileSystem = NativeFileSystem();
};

// Holds path open, sharing nothing, as the running game or a virus scanner may.
HANDLE Hold(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

double SecondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(Win32FileSystemTest, OpenAndRenameWaitForAFileHeldForAMoment)
{
    const std::string path = folder / "game.txt";
    WriteBytes(path, "old");
    WriteBytes(folder.Path() / "new", "new");
    const Operations operations = {
        {"open for writing", [&] { return fileSystem.Open(path, OpenMode::Write) != nullptr; }},
        {"rename over it", [&] { return fileSystem.Rename(folder / "new", path); }},
        {"open it to lock it", [&] { return fileSystem.Lock(path).lock != nullptr; }},
    };
    for (const auto& [what, operation] : operations)
    {
        SCOPED_TRACE(what);
        const HANDLE held = Hold(path);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        std::thread holder(
            [held]
            {
                Sleep(300);
                CloseHandle(held);
            });
        EXPECT_TRUE(operation());
        holder.join();
    }
    EXPECT_EQ(ReadBytes(path), "new");
}

TEST_F(Win32FileSystemTest, OpenAndRenameGiveUpOnAFileHeldLongerAndRefusalsDoNotWait)
{
    const std::string path = folder / "game.txt";
    const std::string readOnly = folder / "readonly.txt";
    WriteBytes(path, "old");
    WriteBytes(folder.Path() / "new", "new");
    WriteBytes(readOnly, "kept");
    ASSERT_TRUE(fileSystem.SetReadOnly(readOnly, true));
    fs::create_directory(folder.Path() / "sub");
    const HANDLE held = Hold(path);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    const Operations waiting = {
        {"open for writing", [&] { return fileSystem.Open(path, OpenMode::Write) != nullptr; }},
        {"rename over it", [&] { return fileSystem.Rename(folder / "new", path); }},
        {"open it to lock it", [&] { return fileSystem.Lock(path).lock != nullptr; }},
    };
    for (const auto& [what, operation] : waiting)
    {
        SCOPED_TRACE(what);
        bool done = true;
        const double seconds = SecondsOf([&] { done = operation(); });
        EXPECT_FALSE(done);
        EXPECT_GT(seconds, 1.5);
        EXPECT_LT(seconds, 3.0);
        EXPECT_NE(fileSystem.TakeFailureReason(), "");
    }

    // What waiting cannot change is refused at once.
    const Operations immediate = {
        {"write a read-only file", [&] { return fileSystem.Open(readOnly, OpenMode::Write) != nullptr; }},
        {"rename over a read-only file", [&] { return fileSystem.Rename(folder / "new", readOnly); }},
        {"open a folder", [&] { return fileSystem.Open(folder / "sub", OpenMode::Read) != nullptr; }},
    };
    for (const auto& [what, operation] : immediate)
    {
        SCOPED_TRACE(what);
        bool done = true;
        EXPECT_LT(SecondsOf([&] { done = operation(); }), 0.5);
        EXPECT_FALSE(done);
        EXPECT_NE(fileSystem.TakeFailureReason(), "");
    }
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(ReadBytes(readOnly), "kept");
}

TEST_F(Win32FileSystemTest, ARefusedOpenOrRenameSaysThatTheFolderMayNeedAnAdministrator)
{
    const std::string hint = " The game's folder may need a command prompt opened as administrator.";
    const std::string readOnly = folder / "readonly.txt";
    WriteBytes(readOnly, "kept");
    ASSERT_TRUE(fileSystem.SetReadOnly(readOnly, true));
    WriteBytes(folder.Path() / "new", "new");
    fs::create_directory(folder.Path() / "sub");
    const struct
    {
        const char* what;
        std::function<bool()> operation;
        bool refused;
    } cases[] = {
        {"rename over a read-only file", [&] { return fileSystem.Rename(folder / "new", readOnly); }, true},
        {"write a read-only file", [&] { return fileSystem.Open(readOnly, OpenMode::Write) != nullptr; },
         true},
        {"open a folder", [&] { return fileSystem.Open(folder / "sub", OpenMode::Read) != nullptr; }, true},
        {"read a missing file",
         [&] { return fileSystem.Open(folder / "missing", OpenMode::Read) != nullptr; }, false},
        {"write in a missing folder",
         [&] { return fileSystem.Open(folder / "missing\\file", OpenMode::Write) != nullptr; }, false},
        {"rename a missing file", [&] { return fileSystem.Rename(folder / "missing", folder / "other"); },
         false},
    };
    for (const auto& [what, operation, refused] : cases)
    {
        SCOPED_TRACE(what);
        EXPECT_FALSE(operation());
        const std::string reason = fileSystem.TakeFailureReason();
        EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
        const bool hinted = reason.ends_with(hint);
        EXPECT_EQ(hinted, refused) << reason;
        // The system's own words come first.
        EXPECT_NE(reason.substr(0, reason.size() - (hinted ? hint.size() : 0)), "");
    }
    EXPECT_EQ(ReadBytes(readOnly), "kept");
}

// The log, a diagnostic file or a leftover NAME.kxnew that someone hid, made anew.
TEST_F(Win32FileSystemTest, AHiddenOrSystemFileIsEmptiedAndWrittenAndKeepsItsAttributes)
{
    const struct
    {
        const char* what;
        DWORD attributes;
    } cases[] = {
        {"hidden", FILE_ATTRIBUTE_HIDDEN},
        {"system", FILE_ATTRIBUTE_SYSTEM},
        {"hidden and system", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
    };
    for (const auto& [what, attributes] : cases)
    {
        SCOPED_TRACE(what);
        const std::string path = folder / "kxinstall.log";
        WriteBytes(path, "an older and longer text");
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes));

        const auto file = fileSystem.Open(path, OpenMode::Write);
        ASSERT_NE(file, nullptr) << fileSystem.TakeFailureReason();
        EXPECT_EQ(file->Write("new", 3), 3u);
        EXPECT_TRUE(file->Close());
        EXPECT_EQ(ReadBytes(path), "new");
        EXPECT_EQ(GetFileAttributesA(path.c_str()) & attributes, attributes);
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    }
}

} // namespace
