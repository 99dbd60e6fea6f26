#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// An open file as the file system hands it out: raw bytes, no text translation.
class IFile
{
public:
    virtual ~IFile() = default;
    // Reads up to size bytes at the current position; gives the count read (0 at the end), or -1.
    virtual std::int64_t Read(char* buffer, std::size_t size) = 0;
    // Writes at the current position; gives the count written, short on failure.
    virtual std::size_t Write(const char* data, std::size_t size) = 0;
    virtual bool Seek(std::int64_t offset) = 0;
    // Ends the file at the current position.
    virtual bool Truncate() = 0;
    virtual bool Flush() = 0;
    virtual bool Close() = 0;
};

enum class OpenMode
{
    Read,      // an existing file, from its start
    Write,     // created, or emptied when it exists
    ReadWrite, // an existing file, read and overwritten in place
};

// A lock that one process at a time holds on a file; released when destroyed, and by the system when the
// process ends, however it ends, so a file left behind never blocks anyone.
class IFileLock
{
public:
    virtual ~IFileLock() = default;
};

struct FileLockAttempt
{
    // Nothing when the lock could not be taken.
    std::unique_ptr<IFileLock> lock;
    // Another holder has it, rather than the file not being usable at all.
    bool heldElsewhere = false;
};

struct FileStatus
{
    bool readOnly = false;
    bool folder = false;
};

// Every file operation of the product goes through this interface, so that tests can watch and
// fail each one. Paths are the program's own: game paths with backslashes, or native paths.
class IFileSystem
{
public:
    virtual ~IFileSystem() = default;
    virtual std::unique_ptr<IFile> Open(const std::string& path, OpenMode mode) = 0;
    // A file outside the game, such as a mission file, by a native path in UTF-8: on Windows it may be in a
    // folder whose name the system code page cannot spell. Where native paths are UTF-8 already, Open.
    virtual std::unique_ptr<IFile> OpenUtf8(const std::string& path, OpenMode mode)
    {
        return Open(path, mode);
    }
    // Moves the file from over the file to in one step, so that to is either old or new, never partial.
    // The move is on the disk when this returns. A read-only to is refused, as Windows does.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    // True when no file is left at path.
    virtual bool Remove(const std::string& path) = 0;
    // An existing folder is no error.
    virtual bool CreateFolder(const std::string& path) = 0;
    // Nothing when the file does not exist.
    virtual std::optional<FileStatus> GetStatus(const std::string& path) = 0;
    // Keeps the file's times.
    virtual bool SetReadOnly(const std::string& path, bool readOnly) = 0;
    // Takes the lock on the file at path, creating the file when it is missing; never waits for another
    // holder. Others may open the file meanwhile: the lock is not a sharing mode.
    virtual FileLockAttempt Lock(const std::string& path) = 0;
    // Shares the lock on the existing file at path with other sharers, never with a holder of Lock; never
    // waits, and creates nothing: no lock where the file does not exist or cannot be opened. A file system
    // without locks has none to share.
    virtual FileLockAttempt LockShared(const std::string&) { return {}; }
    // The system's own words, on one line, for the most recent failed operation of this file system or of a
    // file it opened; empty once taken. A success leaves it, so that it can be asked for after a cleanup. A
    // missing file is an answer of GetStatus and Remove, no failure.
    virtual std::string TakeFailureReason() = 0;
};

// The longest path, in characters, that the system's file calls take: Windows' limit without long-path
// support; POSIX has none that a game reaches.
#ifdef _WIN32
inline constexpr std::size_t kLongestPath = 259;
#else
inline constexpr std::size_t kLongestPath = SIZE_MAX;
#endif

// The real file system of the platform the program runs on.
IFileSystem& NativeFileSystem();
