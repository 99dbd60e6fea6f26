#include "TextFile.h"

#include "FileReplace.h"

#include <algorithm>
#include <cstring>

std::string DiskText(std::string_view text)
{
    std::string disk;
    disk.reserve(text.size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
    for (char c : text)
    {
        if (c == '\n')
            disk += '\r';
        disk += c;
    }
    return disk;
}

// A stream that nobody closed was dropped by a failure: what it holds must not reach a restored file.
CTextFile::~CTextFile()
{
    Abandon();
}

bool CTextFile::Open(IFileSystem& fileSystem, const std::string& path, const char* mode)
{
    Close();
    std::optional<std::string> content;
    if (std::strcmp(mode, "r") == 0)
        content = ReadFileBytes(fileSystem, path, OpenMode::Read);
    else if (std::strcmp(mode, "r+") == 0)
        content = ReadFileBytes(fileSystem, path, OpenMode::ReadWrite);
    else if (std::strcmp(mode, "w") == 0)
    {
        // A read-only file or a folder must refuse here, as it would refuse the rename at Close.
        const FileStatus status = fileSystem.GetStatus(path).value_or(FileStatus{});
        if (status.readOnly || status.folder)
            return false;
        temporary = fileSystem.Open(TemporarySibling(path), OpenMode::Write);
        if (temporary)
            content.emplace();
    }
    if (!content)
        return false;
    this->fileSystem = &fileSystem;
    this->path = path;
    bytes = std::move(*content);
    position = 0;
    writable = std::strcmp(mode, "r") != 0;
    changed = false;
    return true;
}

bool CTextFile::ReadLine(std::string& line)
{
    line.clear();
    if (!IsOpen() || AtEnd())
        return false;
    const auto start = static_cast<std::size_t>(position);
    const std::size_t feed = bytes.find('\n', start);
    if (feed == std::string::npos)
    {
        line.assign(bytes, start);
        position = static_cast<std::int64_t>(bytes.size());
        return true;
    }
    // CR LF reads as "\n"; a CR anywhere else is an ordinary character.
    const std::size_t textEnd = (feed > start && bytes[feed - 1] == '\r') ? feed - 1 : feed;
    line.assign(bytes, start, textEnd - start);
    line += '\n';
    position = static_cast<std::int64_t>(feed + 1);
    return true;
}

bool CTextFile::Write(std::string_view text)
{
    if (!IsOpen() || !writable)
        return false;
    const std::string disk = DiskText(text);
    const auto at = static_cast<std::size_t>(position);
    if (bytes.size() < at + disk.size())
        bytes.resize(at + disk.size(), '\0');
    bytes.replace(at, disk.size(), disk);
    changed = true;
    position += static_cast<std::int64_t>(disk.size());
    return true;
}

bool CTextFile::Splice(std::int64_t offset, std::size_t count, std::string_view text)
{
    if (!IsOpen() || !writable || offset < 0 || offset > static_cast<std::int64_t>(bytes.size()))
        return false;
    const auto at = static_cast<std::size_t>(offset);
    bytes.replace(at, std::min(count, bytes.size() - at), text);
    changed = true;
    position = offset + static_cast<std::int64_t>(text.size());
    return true;
}

bool CTextFile::SetPos(std::int64_t offset)
{
    if (!IsOpen() || offset < 0)
        return false;
    position = offset;
    return true;
}

bool CTextFile::Close()
{
    if (!IsOpen())
        return true;
    bool replaced = true;
    // A "w" stream always writes its file, however little it holds.
    if (temporary)
        replaced = CommitReplacement(*fileSystem, std::move(temporary), path, bytes);
    else if (changed)
        replaced = ReplaceFile(*fileSystem, path, bytes);
    Abandon();
    return replaced;
}

void CTextFile::Abandon()
{
    if (temporary)
    {
        temporary->Close();
        temporary.reset();
        fileSystem->Remove(TemporarySibling(path));
    }
    fileSystem = nullptr;
    path.clear();
    bytes.clear();
    position = 0;
    writable = false;
    changed = false;
}
