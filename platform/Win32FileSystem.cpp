#include "FileSystem.h"

#include <windows.h>

namespace
{

// Windows refuses to write a read-only file; Wine run by a privileged user does not, so say it here.
bool IsReadOnlyFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class CWin32File : public IFile
{
public:
    explicit CWin32File(HANDLE file) : handle(file) {}
    ~CWin32File() override { Close(); }

    std::int64_t Read(char* buffer, std::size_t size) override
    {
        DWORD count = 0;
        if (!ReadFile(handle, buffer, static_cast<DWORD>(size), &count, nullptr))
            return -1;
        return count;
    }

    std::size_t Write(const char* data, std::size_t size) override
    {
        DWORD count = 0;
        WriteFile(handle, data, static_cast<DWORD>(size), &count, nullptr);
        return count;
    }

    bool Seek(std::int64_t offset) override
    {
        LARGE_INTEGER distance;
        distance.QuadPart = offset;
        return SetFilePointerEx(handle, distance, nullptr, FILE_BEGIN) != 0;
    }

    bool Truncate() override { return SetEndOfFile(handle) != 0; }
    bool Flush() override { return FlushFileBuffers(handle) != 0; }

    bool Close() override
    {
        if (handle == INVALID_HANDLE_VALUE)
            return true;
        const bool closed = CloseHandle(handle) != 0;
        handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle;
};

// An open handle that shares nothing: nobody else can open the file while it lives, and the system closes
// it when the process ends.
class CWin32FileLock : public IFileLock
{
public:
    explicit CWin32FileLock(HANDLE handle) : handle(handle) {}
    ~CWin32FileLock() override { CloseHandle(handle); }

private:
    HANDLE handle;
};

class CWin32FileSystem : public IFileSystem
{
public:
    std::unique_ptr<IFile> Open(const std::string& path, OpenMode mode) override
    {
        DWORD access = GENERIC_READ;
        DWORD disposition = OPEN_EXISTING;
        if (mode == OpenMode::Write)
        {
            access = GENERIC_WRITE;
            disposition = CREATE_ALWAYS;
        }
        else if (mode == OpenMode::ReadWrite)
            access = GENERIC_READ | GENERIC_WRITE;
        if (mode != OpenMode::Read && IsReadOnlyFile(path))
            return nullptr;
        const HANDLE handle = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return nullptr;
        return std::make_unique<CWin32File>(handle);
    }

    bool Rename(const std::string& from, const std::string& to) override
    {
        return !IsReadOnlyFile(to) &&
               MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }

    bool Remove(const std::string& path) override
    {
        if (DeleteFileA(path.c_str()))
            return true;
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }

    bool CreateFolder(const std::string& path) override
    {
        if (CreateDirectoryA(path.c_str(), nullptr))
            return true;
        const DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    std::optional<FileStatus> GetStatus(const std::string& path) override
    {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return std::nullopt;
        return FileStatus{(attributes & FILE_ATTRIBUTE_READONLY) != 0,
                          (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
    }

    bool SetReadOnly(const std::string& path, bool readOnly) override
    {
        // Attributes alone: the file's times stay as they are.
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return false;
        const DWORD changed = readOnly ? (attributes | FILE_ATTRIBUTE_READONLY)
                                       : (attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
        return SetFileAttributesA(path.c_str(), changed) != 0;
    }

    FileLockAttempt Lock(const std::string& path) override
    {
        const HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return {nullptr, GetLastError() == ERROR_SHARING_VIOLATION};
        return {std::make_unique<CWin32FileLock>(handle), false};
    }
};

} // namespace

IFileSystem& NativeFileSystem()
{
    static CWin32FileSystem fileSystem;
    return fileSystem;
}
