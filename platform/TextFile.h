#pragma once

#include "FileSystem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// A text stream with Windows text-mode semantics on every OS: "\n" in memory is CR LF on disk, and
// CR LF on disk reads as "\n" (a lone CR stays a CR). Positions are byte offsets on disk.
// The file's bytes are held in memory while it is open; writes reach the disk at Flush and Close only:
// a stream destroyed without Close is abandoned.
class CTextFile
{
public:
    CTextFile() = default;
    CTextFile(const CTextFile&) = delete;
    CTextFile& operator=(const CTextFile&) = delete;
    ~CTextFile();

    // mode is "r", "w" or "r+", as for fopen.
    bool Open(IFileSystem& fileSystem, const std::string& path, const char* mode);
    bool IsOpen() const { return file != nullptr; }

    // Reads the rest of the current line, with its "\n" when it has one; false at the end of the file.
    bool ReadLine(std::string& line);
    bool AtEnd() const { return position >= static_cast<std::int64_t>(bytes.size()); }
    // Writes text at the current position, overwriting what stands there and extending the file.
    bool Write(std::string_view text);

    // Replaces count bytes at offset by text as it stands (no line-end translation), moving what follows;
    // the stream is left after text.
    bool Splice(std::int64_t offset, std::size_t count, std::string_view text);

    std::int64_t GetPos() const { return position; }
    bool SetPos(std::int64_t offset);

    bool Flush();
    bool Close();
    // Drops the stream without writing what it still holds.
    void Abandon();

private:
    std::unique_ptr<IFile> file;
    std::string bytes;
    std::int64_t position = 0;
    // Bytes before this offset are on disk as they stand in memory.
    std::int64_t cleanUpTo = 0;
    // The file's length on disk, so that a file that became shorter is cut to its new end.
    std::int64_t diskSize = 0;
    bool writable = false;
};
