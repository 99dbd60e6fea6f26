#pragma once

#include "FileSystem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The bytes that text in memory stands for on disk: every "\n" as CR LF.
std::string DiskText(std::string_view text);

// A text stream with Windows text-mode semantics on every OS: "\n" in memory is CR LF on disk, and
// CR LF on disk reads as "\n" (a lone CR stays a CR). Positions are byte offsets on disk.
// The file's bytes are held in memory while it is open. Writes reach the disk at Close only, which
// replaces the file as a whole (FileReplace.h): a stream destroyed without Close is abandoned.
class CTextFile
{
public:
    CTextFile() = default;
    CTextFile(const CTextFile&) = delete;
    CTextFile& operator=(const CTextFile&) = delete;
    ~CTextFile();

    // mode is "r", "w" or "r+", as for fopen.
    bool Open(IFileSystem& fileSystem, const std::string& path, const char* mode);
    bool IsOpen() const { return fileSystem != nullptr; }

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

    // Writes what changed; false when the file on disk could not be replaced, and it then stays as it was.
    bool Close();
    // Drops the stream without writing what it still holds.
    void Abandon();

private:
    IFileSystem* fileSystem = nullptr;
    std::string path;
    // A "w" stream's temporary file, created at Open so that a file that cannot be written fails there.
    std::unique_ptr<IFile> temporary;
    std::string bytes;
    std::int64_t position = 0;
    bool writable = false;
    bool changed = false;
};
