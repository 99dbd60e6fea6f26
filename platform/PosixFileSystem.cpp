#include "FileSystem.h"
#include "GamePath.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

bool IsReadOnly(const struct stat& status)
{
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

class CPosixFile : public IFile
{
public:
    explicit CPosixFile(int descriptor) : fd(descriptor) {}
    ~CPosixFile() override { Close(); }

    std::int64_t Read(char* buffer, std::size_t size) override
    {
        ssize_t count;
        do
            count = ::read(fd, buffer, size);
        while (count < 0 && errno == EINTR);
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
            if (count <= 0)
                break;
            done += static_cast<std::size_t>(count);
        }
        return done;
    }

    bool Seek(std::int64_t offset) override { return ::lseek(fd, offset, SEEK_SET) == offset; }
    bool Truncate() override
    {
        const off_t end = ::lseek(fd, 0, SEEK_CUR);
        return end >= 0 && ::ftruncate(fd, end) == 0;
    }
    bool Flush() override { return ::fsync(fd) == 0; }

    bool Close() override
    {
        if (fd < 0)
            return true;
        const bool closed = ::close(fd) == 0;
        fd = -1;
        return closed;
    }

private:
    int fd;
};

// flock belongs to the open file description, so it goes with the process and never outlives it.
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
        struct stat status;
        // Keep Windows' behaviour, which the game files see: a folder never opens as a file, and a
        // read-only file refuses writes even to a privileged user.
        if (::stat(native.c_str(), &status) == 0 &&
            (S_ISDIR(status.st_mode) || (mode != OpenMode::Read && IsReadOnly(status))))
            return nullptr;
        const int fd = ::open(native.c_str(), flags | O_CLOEXEC, 0666);
        if (fd < 0)
            return nullptr;
        return std::make_unique<CPosixFile>(fd);
    }

    bool Rename(const std::string& from, const std::string& to) override
    {
        const std::string source = NativePath(from);
        const std::string target = NativePath(to);
        struct stat status;
        if (::stat(target.c_str(), &status) == 0 && (S_ISDIR(status.st_mode) || IsReadOnly(status)))
            return false;
        if (::rename(source.c_str(), target.c_str()) != 0)
            return false;
        // The new name reaches the disk with its folder.
        fs::path folderPath = fs::path(target).parent_path();
        if (folderPath.empty())
            folderPath = ".";
        const int folder = ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0)
            return false;
        const bool synced = ::fsync(folder) == 0;
        ::close(folder);
        return synced;
    }

    bool Remove(const std::string& path) override
    {
        const std::string native = NativePath(path);
        struct stat status;
        if (::lstat(native.c_str(), &status) != 0)
            return errno == ENOENT;
        return !S_ISDIR(status.st_mode) && ::unlink(native.c_str()) == 0;
    }

    bool CreateFolder(const std::string& path) override
    {
        std::error_code error;
        const std::string native = NativePath(path);
        fs::create_directory(native, error);
        return fs::is_directory(native, error);
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
        return !error;
    }

    FileLockAttempt Lock(const std::string& path) override
    {
        const int fd = ::open(NativePath(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0)
            return {};
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        {
            const bool busy = errno == EWOULDBLOCK;
            ::close(fd);
            return {nullptr, busy};
        }
        return {std::make_unique<CPosixFileLock>(fd), false};
    }
};

} // namespace

IFileSystem& NativeFileSystem()
{
    static CPosixFileSystem fileSystem;
    return fileSystem;
}
