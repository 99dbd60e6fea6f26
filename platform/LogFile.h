#pragma once

#include "FileSystem.h"

#include <memory>
#include <string>
#include <string_view>

// A log written where it stands. Each piece goes to the system as it is written, so that a killed process
// keeps every line written before it; Sync and Close put it on the disk, which survives a crash of the
// system too. Text as CTextFile writes it: "\n" becomes CR LF.
class CLogFile
{
public:
    // Creates the file, or empties an existing one; false when it cannot be created.
    bool Open(IFileSystem& fileSystem, const std::string& path);
    // Opens an existing log again to write after what it holds; false when it cannot be.
    bool Reopen(IFileSystem& fileSystem, const std::string& path);
    bool IsOpen() const { return file != nullptr; }
    // What a write or sync gives is not looked at: a log that fails changes nothing for its writer.
    void Write(std::string_view text);
    void Sync();
    void Close();

private:
    std::unique_ptr<IFile> file;
};
