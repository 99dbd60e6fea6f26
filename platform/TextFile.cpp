#include "TextFile.h"

#include <algorithm>
#include <cstring>

// A stream that nobody closed was dropped by a failure: what it holds must not reach a restored file.
CTextFile::~CTextFile()
{
    Abandon();
}

bool CTextFile::Open(IFileSystem& fileSystem, const std::string& path, const char* mode)
{
    Close();
    OpenMode openMode;
    if (std::strcmp(mode, "r") == 0)
        openMode = OpenMode::Read;
    else if (std::strcmp(mode, "w") == 0)
        openMode = OpenMode::Write;
    else if (std::strcmp(mode, "r+") == 0)
        openMode = OpenMode::ReadWrite;
    else
        return false;

    std::unique_ptr<IFile> opened = fileSystem.Open(path, openMode);
    if (!opened)
        return false;
    std::string content;
    if (openMode != OpenMode::Write)
    {
        char chunk[65536];
        std::int64_t count;
        while ((count = opened->Read(chunk, sizeof chunk)) > 0)
            content.append(chunk, static_cast<std::size_t>(count));
        if (count < 0)
        {
            opened->Close();
            return false;
        }
    }
    file = std::move(opened);
    bytes = std::move(content);
    position = 0;
    cleanUpTo = static_cast<std::int64_t>(bytes.size());
    diskSize = cleanUpTo;
    writable = openMode != OpenMode::Read;
    return true;
}

bool CTextFile::ReadLine(std::string& line)
{
    line.clear();
    if (!file || AtEnd())
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
    if (!file || !writable)
        return false;
    std::string disk;
    disk.reserve(text.size() + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
    for (char c : text)
    {
        if (c == '\n')
            disk += '\r';
        disk += c;
    }
    const auto at = static_cast<std::size_t>(position);
    if (bytes.size() < at + disk.size())
        bytes.resize(at + disk.size(), '\0');
    bytes.replace(at, disk.size(), disk);
    cleanUpTo = std::min(cleanUpTo, position);
    position += static_cast<std::int64_t>(disk.size());
    return true;
}

bool CTextFile::Splice(std::int64_t offset, std::size_t count, std::string_view text)
{
    if (!file || !writable || offset < 0 || offset > static_cast<std::int64_t>(bytes.size()))
        return false;
    const auto at = static_cast<std::size_t>(offset);
    bytes.replace(at, std::min(count, bytes.size() - at), text);
    cleanUpTo = std::min(cleanUpTo, offset);
    position = offset + static_cast<std::int64_t>(text.size());
    return true;
}

bool CTextFile::SetPos(std::int64_t offset)
{
    if (!file || offset < 0)
        return false;
    position = offset;
    return true;
}

bool CTextFile::Flush()
{
    if (!file)
        return false;
    const auto size = static_cast<std::int64_t>(bytes.size());
    if (!writable || (cleanUpTo >= size && diskSize == size))
        return true;
    const auto from = static_cast<std::size_t>(std::min(cleanUpTo, size));
    if (!file->Seek(static_cast<std::int64_t>(from)) ||
        file->Write(bytes.data() + from, bytes.size() - from) != bytes.size() - from)
        return false;
    if (diskSize > size && !file->Truncate())
        return false;
    cleanUpTo = diskSize = size;
    return true;
}

bool CTextFile::Close()
{
    if (!file)
        return true;
    const bool flushed = Flush();
    const bool closed = file->Close();
    Abandon();
    return flushed && closed;
}

void CTextFile::Abandon()
{
    if (file)
        file->Close();
    file.reset();
    bytes.clear();
    position = 0;
    cleanUpTo = 0;
    diskSize = 0;
    writable = false;
}
