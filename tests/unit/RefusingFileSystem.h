#pragma once

#include "FileSystem.h"

#include <string>
#include <utility>

// The native file system, except that it refuses the n-th opening of one path in one mode.
class CRefusingFileSystem : public IFileSystem
{
public:
    void Refuse(const std::string& path, OpenMode mode, int opening)
    {
        refusedPath = path;
        refusedMode = mode;
        refusedOpening = opening;
        openings = 0;
    }

    std::unique_ptr<IFile> Open(const std::string& path, OpenMode mode) override
    {
        if (path == refusedPath && mode == refusedMode && ++openings == refusedOpening)
        {
            // Anything the native file system still holds is older.
            NativeFileSystem().TakeFailureReason();
            reason = "Refused by the test.";
            return nullptr;
        }
        return NativeFileSystem().Open(path, mode);
    }
    bool Rename(const std::string& from, const std::string& to) override
    {
        return NativeFileSystem().Rename(from, to);
    }
    bool Remove(const std::string& path) override { return NativeFileSystem().Remove(path); }
    bool CreateFolder(const std::string& path) override { return NativeFileSystem().CreateFolder(path); }
    std::optional<FileStatus> GetStatus(const std::string& path) override
    {
        return NativeFileSystem().GetStatus(path);
    }
    bool SetReadOnly(const std::string& path, bool readOnly) override
    {
        return NativeFileSystem().SetReadOnly(path, readOnly);
    }
    FileLockAttempt Lock(const std::string& path) override { return NativeFileSystem().Lock(path); }
    FileLockAttempt LockShared(const std::string& path) override
    {
        return NativeFileSystem().LockShared(path);
    }
    std::string TakeFailureReason() override
    {
        std::string native = NativeFileSystem().TakeFailureReason();
        std::string own = std::exchange(reason, {});
        return native.empty() ? own : native;
    }

private:
    std::string reason;
    std::string refusedPath;
    OpenMode refusedMode = OpenMode::Read;
    int refusedOpening = 0;
    int openings = 0;
};
