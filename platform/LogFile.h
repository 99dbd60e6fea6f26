#pragma once

#include "FileSystem.h"

#include <memory>
#include <string>
#include <string_view>

// A log written where it stands, each piece flushed to the disk as it is written, so that a crash keeps
// every line written before it. Text as CTextFile writes it: "\n" becomes CR LF.
class CLogFile
{
public:
    // Creates the file, or empties an existing one; false when it cannot be created.
    bool Open(IFileSystem& fileSystem, const std::string& path);
    bool IsOpen() const { return file != nullptr; }
    // What a write or flush gives is not looked at: a log that fails changes nothing for its writer.
    void Write(std::string_view text);
    void Close();

private:
    std::unique_ptr<IFile> file;
};
