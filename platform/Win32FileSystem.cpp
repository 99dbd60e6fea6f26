#include "CodePage.h"
#include "FileSystem.h"
#include "RetryPolicy.h"

#include <utility>

#include <windows.h>

namespace
{

// Runs attempt until it succeeds or fails for a reason that waiting cannot cure, or the tries that its
// error earns are spent. Gives ERROR_SUCCESS, or the last attempt's error.
template <typename Attempt> DWORD Retried(Attempt attempt)
{
    for (int tries = 1;; ++tries)
    {
        if (attempt())
            return ERROR_SUCCESS;
        const DWORD error = GetLastError();
        const RetryPolicy policy = RetryPolicyFor(error);
        if (tries >= policy.tries)
            return error;
        Sleep(policy.pauseMilliseconds);
    }
}

// Game paths are in the code page and go to the narrow calls; a wide path may name any folder.
DWORD AttributesOf(const std::string& path)
{
    return GetFileAttributesA(path.c_str());
}
DWORD AttributesOf(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str());
}
HANDLE CreateFileOf(const std::string& path, DWORD access, DWORD disposition, DWORD attributes)
{
    return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                       attributes, nullptr);
}
HANDLE CreateFileOf(const std::wstring& path, DWORD access, DWORD disposition, DWORD attributes)
{
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                       attributes, nullptr);
}

// Windows refuses to write a read-only file; Wine run by a privileged user does not, so say it here. A
// folder never opens or is replaced as a file. Both are refused at once: waiting would not change them.
bool Refused(DWORD attributes, bool writing)
{
    return attributes != INVALID_FILE_ATTRIBUTES &&
           ((attributes & FILE_ATTRIBUTE_DIRECTORY) || (writing && (attributes & FILE_ATTRIBUTE_READONLY)));
}

// Windows refuses to make a hidden or system file anew unless it is asked to keep those attributes.
DWORD CreatedAttributes(DWORD existing)
{
    const DWORD kept =
        existing == INVALID_FILE_ATTRIBUTES ? 0 : existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    return kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
}

// Whether another handle has the file open: then nobody may open it without sharing.
bool OpenElsewhere(const std::string& path)
{
    const HANDLE handle = CreateFileA(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(handle);
    return false;
}

// The system's words for the most recent failure, kept until they are taken.
class CFailureReason
{
public:
    void Record(DWORD error)
    {
        char* message = nullptr;
        const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                                FORMAT_MESSAGE_IGNORE_INSERTS,
                                            nullptr, error, 0, reinterpret_cast<char*>(&message), 0, nullptr);
        text = length > 0 ? std::string(message, length) : "Windows error " + std::to_string(error);
        LocalFree(message);
        // One line: the message's own line breaks become blanks, and its final one goes.
        for (char& c : text)
            if (c == '\r' || c == '\n')
                c = ' ';
        text.erase(text.find_last_not_of(' ') + 1);
    }
    // Gives result, recording the last error when it is false.
    bool Check(bool result)
    {
        if (!result)
            Record(GetLastError());
        return result;
    }
    // Gives whether error, of opening or replacing a file, is ERROR_SUCCESS, recording it otherwise. Such a
    // refusal is most often a folder that only an elevated program may write.
    bool CheckAccess(DWORD error)
    {
        if (error == ERROR_SUCCESS)
            return true;
        Record(error);
        if (error == ERROR_ACCESS_DENIED)
            text += " The game's folder may need a command prompt opened as administrator.";
        return false;
    }
    std::string Take() { return std::exchange(text, {}); }

private:
    std::string text;
};

class CWin32File : public IFile
{
public:
    CWin32File(HANDLE file, CFailureReason& reason) : handle(file), reason(reason) {}
    ~CWin32File() override { Close(); }

    std::int64_t Read(char* buffer, std::size_t size) override
    {
        DWORD count = 0;
        if (!reason.Check(ReadFile(handle, buffer, static_cast<DWORD>(size), &count, nullptr)))
            return -1;
        return count;
    }

    std::size_t Write(const char* data, std::size_t size) override
    {
        DWORD count = 0;
        reason.Check(WriteFile(handle, data, static_cast<DWORD>(size), &count, nullptr));
        return count;
    }

    bool Seek(std::int64_t offset) override
    {
        LARGE_INTEGER distance;
        distance.QuadPart = offset;
        return reason.Check(SetFilePointerEx(handle, distance, nullptr, FILE_BEGIN));
    }

    bool Truncate() override { return reason.Check(SetEndOfFile(handle)); }
    bool Flush() override { return reason.Check(FlushFileBuffers(handle)); }

    bool Close() override
    {
        if (handle == INVALID_HANDLE_VALUE)
            return true;
        const bool closed = reason.Check(CloseHandle(handle));
        handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle;
    CFailureReason& reason;
};

// A lock on the file's first byte rather than an open that shares nothing: Wine maps byte-range locks to the
// host's record locks, which every Wine prefix and native program sees, and a scanner that opens the file for
// a moment refuses nobody. Closing the handle, as the end of the process does, releases it.
class CWin32FileLock : public IFileLock
{
public:
    explicit CWin32FileLock(HANDLE handle) : handle(handle) {}
    ~CWin32FileLock() override
    {
        OVERLAPPED start{};
        UnlockFileEx(handle, 0, 1, 0, &start);
        CloseHandle(handle);
    }

private:
    HANDLE handle;
};

class CWin32FileSystem : public IFileSystem
{
public:
    std::unique_ptr<IFile> Open(const std::string& path, OpenMode mode) override
    {
        return OpenFile(path, mode);
    }

    std::unique_ptr<IFile> OpenUtf8(const std::string& path, OpenMode mode) override
    {
        return OpenFile(WideFromAnsi(path, CP_UTF8), mode);
    }

    // Open and OpenUtf8 differ only in the calls their path goes to.
    template <typename Path> std::unique_ptr<IFile> OpenFile(const Path& path, OpenMode mode)
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
        const DWORD attributes = AttributesOf(path);
        HANDLE handle = INVALID_HANDLE_VALUE;
        const auto open = [&]
        {
            handle = CreateFileOf(path, access, disposition, CreatedAttributes(attributes));
            return handle != INVALID_HANDLE_VALUE;
        };
        if (!reason.CheckAccess(Refused(attributes, mode != OpenMode::Read) ? ERROR_ACCESS_DENIED
                                                                            : Retried(open)))
            return nullptr;
        return std::make_unique<CWin32File>(handle, reason);
    }

    bool Rename(const std::string& from, const std::string& to) override
    {
        const auto move = [&]
        {
            if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                return true;
            // Windows refuses to replace a file that is open elsewhere with access denied, not with the
            // sharing violation that it is and that is worth waiting for.
            if (GetLastError() == ERROR_ACCESS_DENIED && OpenElsewhere(to))
                SetLastError(ERROR_SHARING_VIOLATION);
            return false;
        };
        return reason.CheckAccess(Refused(GetFileAttributesA(to.c_str()), true) ? ERROR_ACCESS_DENIED
                                                                                : Retried(move));
    }

    bool Remove(const std::string& path) override
    {
        if (DeleteFileA(path.c_str()))
            return true;
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return true;
        reason.Record(error);
        return false;
    }

    bool CreateFolder(const std::string& path) override
    {
        if (CreateDirectoryA(path.c_str(), nullptr))
            return true;
        const DWORD error = GetLastError();
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return true;
        reason.Record(error);
        return false;
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
        if (!reason.Check(attributes != INVALID_FILE_ATTRIBUTES))
            return false;
        const DWORD changed = readOnly ? (attributes | FILE_ATTRIBUTE_READONLY)
                                       : (attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
        return reason.Check(SetFileAttributesA(path.c_str(), changed));
    }

    // Opening is retried like any other open; a lock held elsewhere is answered at once.
    FileLockAttempt Lock(const std::string& path) override { return LockFirstByte(path, true); }
    FileLockAttempt LockShared(const std::string& path) override { return LockFirstByte(path, false); }

    FileLockAttempt LockFirstByte(const std::string& path, bool exclusive)
    {
        HANDLE handle = INVALID_HANDLE_VALUE;
        const DWORD opened = Retried(
            [&]
            {
                handle = CreateFileA(path.c_str(), exclusive ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     exclusive ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
                return handle != INVALID_HANDLE_VALUE;
            });
        if (!reason.CheckAccess(opened))
            return {};
        OVERLAPPED start{};
        if (!LockFileEx(handle, (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0) | LOCKFILE_FAIL_IMMEDIATELY, 0, 1,
                        0, &start))
        {
            const DWORD error = GetLastError();
            reason.Record(error);
            CloseHandle(handle);
            return {nullptr, error == ERROR_LOCK_VIOLATION};
        }
        return {std::make_unique<CWin32FileLock>(handle), false};
    }

    std::string TakeFailureReason() override { return reason.Take(); }

private:
    CFailureReason reason;
};

} // namespace

IFileSystem& NativeFileSystem()
{
    static CWin32FileSystem fileSystem;
    return fileSystem;
}
