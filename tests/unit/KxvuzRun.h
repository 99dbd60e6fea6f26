#pragma once

#include "FileSystem.h"

#include <string>
#include <vector>

struct KxvuzResult
{
    int status;
    std::string out;
    std::string err;
};

// Runs kxvuz with arguments (the program name is added) over fileSystem.
KxvuzResult Kxvuz(std::vector<std::string> arguments, IFileSystem& fileSystem = NativeFileSystem(),
                  void (*beforeCancellable)() = nullptr);
