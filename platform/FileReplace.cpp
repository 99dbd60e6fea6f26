#include "FileReplace.h"

std::string TemporarySibling(const std::string& path)
{
    return path + ".kxnew";
}

std::optional<std::string> ReadRest(IFile& file)
{
    std::string content;
    char chunk[65536];
    std::int64_t count;
    while ((count = file.Read(chunk, sizeof chunk)) > 0)
        content.append(chunk, static_cast<std::size_t>(count));
    if (count < 0)
        return std::nullopt;
    return content;
}

std::optional<std::string> ReadFileBytes(IFileSystem& fileSystem, const std::string& path, OpenMode mode)
{
    const std::unique_ptr<IFile> file = fileSystem.Open(path, mode);
    if (!file)
        return std::nullopt;
    std::optional<std::string> content = ReadRest(*file);
    file->Close();
    return content;
}

bool CommitReplacement(IFileSystem& fileSystem, std::unique_ptr<IFile> temporary, const std::string& path,
                       std::string_view bytes)
{
    const std::string temporaryPath = TemporarySibling(path);
    // Every step runs only after the one before it succeeded; the file itself is touched by the rename alone.
    const bool written = temporary->Write(bytes.data(), bytes.size()) == bytes.size() && temporary->Flush();
    const bool closed = temporary->Close();
    if (written && closed && fileSystem.Rename(temporaryPath, path))
        return true;
    fileSystem.Remove(temporaryPath);
    return false;
}

bool ReplaceFile(IFileSystem& fileSystem, const std::string& path, std::string_view bytes)
{
    std::unique_ptr<IFile> temporary = fileSystem.Open(TemporarySibling(path), OpenMode::Write);
    return temporary && CommitReplacement(fileSystem, std::move(temporary), path, bytes);
}

bool CopyFileReplacing(IFileSystem& fileSystem, const std::string& from, const std::string& to)
{
    const std::optional<std::string> bytes = ReadFileBytes(fileSystem, from);
    return bytes && ReplaceFile(fileSystem, to, *bytes);
}

void ClearReadOnly(IFileSystem& fileSystem, const std::string& path)
{
    const std::optional<FileStatus> status = fileSystem.GetStatus(path);
    if (status && status->readOnly)
        fileSystem.SetReadOnly(path, false);
}
