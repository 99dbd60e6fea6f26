#include "FileSystem.h"
#include "GamePath.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace
{

namespace fs = std::filesystem;

bool IsReadOnly(const struct stat& status)
{
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// Keep Windows' behaviour, which the game files see: a folder is never opened or replaced as a file, and a
// read-only file refuses writes even to a privileged user. The system's error for the refusal, or 0.
int Refusal(const std::string& native, bool writing)
{
    struct stat status;
    if (::stat(native.c_str(), &status) != 0)
        return 0;
    if (S_ISDIR(status.st_mode))
        return EISDIR;
    return writing && IsReadOnly(status) ? EACCES : 0;
}

// The system's words for the most recent failure, kept until they are taken.
class CFailureReason
{
public:
    void Record(int error) { text = std::strerror(error); }
    // Gives result, recording errno when it is false.
    bool Check(bool result)
    {
        if (!result)
            Record(errno);
        return result;
    }
    std::string Take() { return std::exchange(text, {}); }

private:
    std::string text;
};

class CPosixFile : public IFile
{
public:
    CPosixFile(int descriptor, CFailureReason& reason) : fd(descriptor), reason(reason) {}
    ~CPosixFile() override { Close(); }

    std::int64_t Read(char* buffer, std::size_t size) override
    {
        ssize_t count;
        do
            count = ::read(fd, buffer, size);
        while (count < 0 && errno == EINTR);
        reason.Check(count >= 0);
        return count;
    }

    std::size_t Write(const char* data, std::size_t size) override
    {
        std::size_t done = 0;
        while (done < size)
        {
            const ssize_t count = ::write(fd, data + done, size - done);
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0)
                reason.Record(errno);
            if (count <= 0)
                break;
            done += static_cast<std::size_t>(count);
        }
        return done;
    }

    bool Seek(std::int64_t offset) override { return reason.Check(::lseek(fd, offset, SEEK_SET) == offset); }
    bool Truncate() override
    {
        const off_t end = ::lseek(fd, 0, SEEK_CUR);
        return reason.Check(end >= 0 && ::ftruncate(fd, end) == 0);
    }
    bool Flush() override { return reason.Check(::fsync(fd) == 0); }

    bool Close() override
    {
        if (fd < 0)
            return true;
        const bool closed = reason.Check(::close(fd) == 0);
        fd = -1;
        return closed;
    }

private:
    int fd;
    CFailureReason& reason;
};

// A record lock on the file's first byte, owned by the open file description: Wine turns a Windows program's
// byte-range lock into such a record lock, so the two see each other, and the lock goes with the process.
class CPosixFileLock : public IFileLock
{
public:
    explicit CPosixFileLock(int descriptor) : fd(descriptor) {}
    ~CPosixFileLock() override { ::close(fd); }

private:
    int fd;
};

class CPosixFileSystem : public IFileSystem
{
public:
    std::unique_ptr<IFile> Open(const std::string& path, OpenMode mode) override
    {
        int flags = O_RDONLY;
        if (mode == OpenMode::Write)
            flags = O_WRONLY | O_CREAT | O_TRUNC;
        else if (mode == OpenMode::ReadWrite)
            flags = O_RDWR;
        const std::string native = NativePath(path);
        if (const int refusal = Refusal(native, mode != OpenMode::Read))
        {
            reason.Record(refusal);
            return nullptr;
        }
        const int fd = ::open(native.c_str(), flags | O_CLOEXEC, 0666);
        if (!reason.Check(fd >= 0))
            return nullptr;
        return std::make_unique<CPosixFile>(fd, reason);
    }

    bool Rename(const std::string& from, const std::string& to) override
    {
        const std::string source = NativePath(from);
        const std::string target = NativePath(to);
        if (const int refusal = Refusal(target, true))
        {
            reason.Record(refusal);
            return false;
        }
        if (!reason.Check(::rename(source.c_str(), target.c_str()) == 0))
            return false;
        // The new name reaches the disk with its folder.
        fs::path folderPath = fs::path(target).parent_path();
        if (folderPath.empty())
            folderPath = ".";
        const int folder = ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (!reason.Check(folder >= 0))
            return false;
        const bool synced = reason.Check(::fsync(folder) == 0);
        ::close(folder);
        return synced;
    }

    bool Remove(const std::string& path) override
    {
        const std::string native = NativePath(path);
        struct stat status;
        if (::lstat(native.c_str(), &status) != 0)
        {
            if (errno == ENOENT)
                return true;
            reason.Record(errno);
            return false;
        }
        if (S_ISDIR(status.st_mode))
        {
            reason.Record(EISDIR);
            return false;
        }
        return reason.Check(::unlink(native.c_str()) == 0);
    }

    bool CreateFolder(const std::string& path) override
    {
        const std::string native = NativePath(path);
        if (::mkdir(native.c_str(), 0777) == 0)
            return true;
        const int error = errno;
        struct stat status;
        if (error == EEXIST && ::stat(native.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
            return true;
        reason.Record(error);
        return false;
    }

    std::optional<FileStatus> GetStatus(const std::string& path) override
    {
        struct stat status;
        if (::stat(NativePath(path).c_str(), &status) != 0)
            return std::nullopt;
        return FileStatus{IsReadOnly(status), S_ISDIR(status.st_mode)};
    }

    bool SetReadOnly(const std::string& path, bool readOnly) override
    {
        // chmod keeps the file's times.
        std::error_code error;
        const auto write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        const auto options = readOnly ? fs::perm_options::remove : fs::perm_options::add;
        fs::permissions(NativePath(path), readOnly ? write : fs::perms::owner_write, options, error);
        if (error)
            reason.Record(error.value());
        return !error;
    }

    FileLockAttempt Lock(const std::string& path) override { return LockFirstByte(path, true); }
    FileLockAttempt LockShared(const std::string& path) override { return LockFirstByte(path, false); }

    std::string TakeFailureReason() override { return reason.Take(); }

private:
    FileLockAttempt LockFirstByte(const std::string& path, bool exclusive)
    {
        const int fd = ::open(NativePath(path).c_str(),
                              exclusive ? O_RDWR | O_CREAT | O_CLOEXEC : O_RDONLY | O_CLOEXEC, 0666);
        if (!reason.Check(fd >= 0))
            return {};
        struct flock firstByte = {};
        firstByte.l_type = exclusive ? F_WRLCK : F_RDLCK;
        firstByte.l_whence = SEEK_SET;
        firstByte.l_start = 0;
        firstByte.l_len = 1;
        if (::fcntl(fd, F_OFD_SETLK, &firstByte) != 0)
        {
            const int error = errno;
            reason.Record(error);
            ::close(fd);
            return {nullptr, error == EAGAIN || error == EACCES};
        }
        return {std::make_unique<CPosixFileLock>(fd), false};
    }

    CFailureReason reason;
};

} // namespace

IFileSystem& NativeFileSystem()
{
    static CPosixFileSystem fileSystem;
    return fileSystem;
}
