#include "LogFile.h"

#include "FileReplace.h"
#include "TextFile.h"

bool CLogFile::Open(IFileSystem& fileSystem, const std::string& path)
{
    Close();
    file = fileSystem.Open(path, OpenMode::Write);
    return file != nullptr;
}

bool CLogFile::Reopen(IFileSystem& fileSystem, const std::string& path)
{
    Close();
    file = fileSystem.Open(path, OpenMode::ReadWrite);
    // Reading it through leaves the position at its end.
    if (file && !ReadRest(*file))
        file.reset();
    return file != nullptr;
}

void CLogFile::Write(std::string_view text)
{
    if (!file)
        return;
    const std::string disk = DiskText(text);
    file->Write(disk.data(), disk.size());
}

void CLogFile::Sync()
{
    if (file)
        file->Flush();
}

void CLogFile::Close()
{
    Sync();
    if (file)
        file->Close();
    file.reset();
}
