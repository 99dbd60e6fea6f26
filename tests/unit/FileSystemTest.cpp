#include "FileSystem.h"
#include "FaultInjectingFileSystem.h"
#include "FileReplace.h"
#include "TestFiles.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>

#include <optional>

namespace
{

namespace fs = std::filesystem;

class FileSystemTest : public ::testing::Test
{
protected:
    CScratchFolder folder;
    IFileSystem& fileSystem = NativeFileSystem();
};

TEST_F(FileSystemTest, RenameReplacesAnExistingTargetAndRemoveLeavesNoFile)
{
    WriteBytes(folder.Path() / "a", "new bytes\r\n");
    WriteBytes(folder.Path() / "b", "older and longer content");
    EXPECT_TRUE(fileSystem.Rename(folder / "a", folder / "b"));
    EXPECT_EQ(ReadBytes(folder.Path() / "b"), "new bytes\r\n");
    EXPECT_FALSE(fs::exists(folder.Path() / "a"));
    EXPECT_FALSE(fileSystem.Rename(folder / "missing", folder / "c"));
    EXPECT_FALSE(fs::exists(folder.Path() / "c"));
    fs::create_directory(folder.Path() / "sub");
    EXPECT_FALSE(fileSystem.Rename(folder / "b", folder / "sub")) << "a folder is not replaced";

    EXPECT_TRUE(fileSystem.Remove(folder / "b"));
    EXPECT_FALSE(fs::exists(folder.Path() / "b"));
    EXPECT_TRUE(fileSystem.Remove(folder / "b")) << "no file is left, as asked";
    EXPECT_FALSE(fileSystem.Remove(folder / "sub")) << "a folder is not a file";
}

TEST_F(FileSystemTest, ReplacingAndCopyingLeaveOldOrNewAndNoTemporaryFile)
{
    const std::string path = folder / "game.txt";
    WriteBytes(path, "old");
    EXPECT_TRUE(ReplaceFile(fileSystem, path, "new"));
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_TRUE(CopyFileReplacing(fileSystem, path, folder / "copy.txt"));
    EXPECT_EQ(ReadBytes(folder.Path() / "copy.txt"), "new");
    EXPECT_FALSE(CopyFileReplacing(fileSystem, folder / "missing", path));
    EXPECT_FALSE(ReplaceFile(fileSystem, folder / "no/such/folder", "x"));

    ASSERT_TRUE(fileSystem.SetReadOnly(path, true));
    EXPECT_FALSE(ReplaceFile(fileSystem, path, "refused"));
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_FALSE(fs::exists(TemporarySibling(path))) << "a refused rename removes its temporary file";
}

TEST_F(FileSystemTest, CreateFolderAcceptsAnExistingOne)
{
    const std::string path = folder / "Backup";
    EXPECT_TRUE(fileSystem.CreateFolder(path));
    EXPECT_TRUE(fileSystem.CreateFolder(path));
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_FALSE(fileSystem.CreateFolder(folder / "no/such/parent"));
}

TEST_F(FileSystemTest, ReadOnlyFilesRefuseWritesUntilCleared)
{
    const std::string path = folder / "game.txt";
    WriteBytes(path, "data");
    WriteBytes(folder.Path() / "other", "other");
    const auto before = fs::last_write_time(path);

    EXPECT_FALSE(fileSystem.GetStatus(folder / "missing"));
    ASSERT_TRUE(fileSystem.SetReadOnly(path, true));
    ASSERT_TRUE(fileSystem.GetStatus(path));
    EXPECT_TRUE(fileSystem.GetStatus(path)->readOnly);
    EXPECT_FALSE(fileSystem.Open(path, OpenMode::ReadWrite));
    EXPECT_FALSE(fileSystem.Open(path, OpenMode::Write));
    EXPECT_FALSE(fileSystem.Rename(folder / "other", path));
    EXPECT_TRUE(fileSystem.Open(path, OpenMode::Read));

    ASSERT_TRUE(fileSystem.SetReadOnly(path, false));
    EXPECT_FALSE(fileSystem.GetStatus(path)->readOnly);
    EXPECT_EQ(fs::last_write_time(path), before) << "attribute changes keep the file's times";
    EXPECT_TRUE(fileSystem.Rename(folder / "other", path));
    EXPECT_EQ(ReadBytes(path), "other");
}

TEST_F(FileSystemTest, RawFilesReadWriteAndSeek)
{
    const std::string path = folder / "raw";
    {
        auto file = fileSystem.Open(path, OpenMode::Write);
        ASSERT_TRUE(file);
        EXPECT_EQ(file->Write("abcdef", 6), 6u);
        EXPECT_TRUE(file->Seek(2));
        EXPECT_EQ(file->Write("XY", 2), 2u);
        EXPECT_TRUE(file->Close());
    }
    auto file = fileSystem.Open(path, OpenMode::Read);
    ASSERT_TRUE(file);
    char buffer[16];
    EXPECT_EQ(file->Read(buffer, sizeof buffer), 6);
    EXPECT_EQ(std::string(buffer, 6), "abXYef");
    EXPECT_EQ(file->Read(buffer, sizeof buffer), 0);
}

TEST_F(FileSystemTest, ALockIsHeldOnceAndTheFileItLeavesBlocksNobody)
{
    const std::string path = folder / "game.lock";
    {
        // A scanner that has the file open neither holds the lock nor is kept out by it.
        const auto scanner = fileSystem.Open(path, OpenMode::Write);
        ASSERT_TRUE(scanner);
        EXPECT_TRUE(fileSystem.Lock(path).lock);
    }
    FileLockAttempt first = fileSystem.Lock(path);
    ASSERT_TRUE(first.lock);
    EXPECT_TRUE(fileSystem.Open(path, OpenMode::Read)) << "the locked file still opens";
    const FileLockAttempt second = fileSystem.Lock(path);
    EXPECT_FALSE(second.lock);
    EXPECT_TRUE(second.heldElsewhere);
    first.lock.reset();
    EXPECT_TRUE(fs::exists(folder.Path() / "game.lock"));
    EXPECT_TRUE(fileSystem.Lock(path).lock) << "a released lock's file is free again";
    const FileLockAttempt nowhere = fileSystem.Lock((folder.Path() / "missing" / "game.lock").string());
    EXPECT_FALSE(nowhere.lock);
    EXPECT_FALSE(nowhere.heldElsewhere);
}

TEST_F(FileSystemTest, ASharedLockIsHeldBesideOthersButNeverBesideTheLock)
{
    const std::string path = folder / "game.lock";
    EXPECT_FALSE(fileSystem.LockShared(path).lock);
    EXPECT_FALSE(fs::exists(folder.Path() / "game.lock")) << "a shared lock creates nothing";
    ASSERT_TRUE(fileSystem.Lock(path).lock);
    std::optional<FileLockAttempt> first{fileSystem.LockShared(path)};
    FileLockAttempt second = fileSystem.LockShared(path);
    ASSERT_TRUE(first->lock);
    ASSERT_TRUE(second.lock);
    EXPECT_TRUE(fileSystem.Lock(path).heldElsewhere);
    first.reset();
    EXPECT_TRUE(fileSystem.Lock(path).heldElsewhere) << "while one share is held";
    second.lock.reset();
    const FileLockAttempt held = fileSystem.Lock(path);
    ASSERT_TRUE(held.lock);
    const FileLockAttempt refused = fileSystem.LockShared(path);
    EXPECT_FALSE(refused.lock);
    EXPECT_TRUE(refused.heldElsewhere);
}

TEST_F(FileSystemTest, AFailureLeavesTheSystemsReasonUntilItIsTaken)
{
    const std::string path = folder / "game.txt";
    const std::string missing = folder / "missing";
    WriteBytes(path, "data");
    fs::create_directory(folder.Path() / "sub");
    const std::pair<const char*, std::function<bool()>> failures[] = {
        {"open a missing file", [&] { return !fileSystem.Open(missing, OpenMode::Read); }},
        {"open a folder", [&] { return !fileSystem.Open(folder / "sub", OpenMode::Read); }},
        {"create a file in a missing folder",
         [&] { return !fileSystem.Open(folder / "no/such/file", OpenMode::Write); }},
        {"read a file opened for writing",
         [&]
         {
             char byte;
             return fileSystem.Open(folder / "written", OpenMode::Write)->Read(&byte, 1) < 0;
         }},
        {"rename a missing file", [&] { return !fileSystem.Rename(missing, path); }},
        {"rename over a folder", [&] { return !fileSystem.Rename(path, folder / "sub"); }},
        {"remove a folder", [&] { return !fileSystem.Remove(folder / "sub"); }},
        {"create a folder in a missing folder",
         [&] { return !fileSystem.CreateFolder(folder / "no/such/sub"); }},
        {"make a missing file read-only", [&] { return !fileSystem.SetReadOnly(missing, true); }},
        {"lock in a missing folder", [&] { return !fileSystem.Lock(folder / "no/such/lock").lock; }},
        {"write a read-only file",
         [&]
         {
             fileSystem.SetReadOnly(path, true);
             const bool refused = !fileSystem.Open(path, OpenMode::ReadWrite);
             fileSystem.SetReadOnly(path, false);
             return refused;
         }},
    };
    for (const auto& [what, fail] : failures)
    {
        SCOPED_TRACE(what);
        ASSERT_TRUE(fail());
        // Answers and successes in between keep it.
        EXPECT_FALSE(fileSystem.GetStatus(missing));
        EXPECT_TRUE(fileSystem.Remove(missing));
        EXPECT_TRUE(fileSystem.Open(path, OpenMode::Read));
        const std::string reason = fileSystem.TakeFailureReason();
        EXPECT_NE(reason, "");
        EXPECT_EQ(reason.find_first_of("\r\n"), std::string::npos) << reason;
        EXPECT_NE(reason.back(), ' ');
        EXPECT_EQ(fileSystem.TakeFailureReason(), "") << "taken";
    }

    // The most recent failure's words.
    EXPECT_FALSE(fileSystem.Open(folder / "sub", OpenMode::Read));
    const std::string folderReason = fileSystem.TakeFailureReason();
    EXPECT_FALSE(fileSystem.Open(folder / "sub", OpenMode::Read));
    EXPECT_FALSE(fileSystem.Open(missing, OpenMode::Read));
    const std::string missingReason = fileSystem.TakeFailureReason();
    EXPECT_NE(missingReason, folderReason);
#ifndef _WIN32
    EXPECT_EQ(missingReason, "No such file or directory");
#endif
}

TEST_F(FileSystemTest, AnInjectedFaultNamesItsKindUntilARealFailureFollows)
{
    const std::string path = folder / "game.txt";
    const std::string missing = folder / "missing";
    CFaultInjectingFileSystem faulty(fileSystem);
    // Open, then the write fails.
    faulty.FailAt(2, false, CFaultInjectingFileSystem::Fault::DiskFull);
    EXPECT_FALSE(fileSystem.Open(missing, OpenMode::Read)) << "an older real failure";
    EXPECT_EQ(faulty.Open(path, OpenMode::Write)->Write("data", 4), 2u);
    EXPECT_EQ(faulty.TakeFailureReason(), "Injected fault: disk full");
    EXPECT_EQ(fileSystem.TakeFailureReason(), "");

    faulty.FailAt(3, false, CFaultInjectingFileSystem::Fault::AccessDenied);
    EXPECT_FALSE(faulty.Open(path, OpenMode::Read));
    EXPECT_FALSE(faulty.Open(missing, OpenMode::Read));
    const std::string real = faulty.TakeFailureReason();
    EXPECT_NE(real, "");
    EXPECT_EQ(real.find("Injected"), std::string::npos) << real;
    EXPECT_EQ(faulty.TakeFailureReason(), "");
}

} // namespace
