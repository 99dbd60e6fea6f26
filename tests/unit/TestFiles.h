#pragma once

#include <filesystem>
#include <string>

// A fresh folder for one test, removed with everything in it when the test ends.
class CScratchFolder
{
public:
    CScratchFolder();
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return root; }
    // The program path of name inside the folder, as the product is given paths.
    std::string operator/(const std::string& name) const;
    // A new folder inside this one named "Łukasz": no Western code page has its first letter.
    std::filesystem::path ForeignFolder() const;

private:
    std::filesystem::path root;
};

// A scratch folder that is the working folder while it lives: kxvuz writes its log there.
class CScratchWorkingFolder : public CScratchFolder
{
public:
    CScratchWorkingFolder();
    ~CScratchWorkingFolder();

private:
    std::filesystem::path previous;
};

// A native path in UTF-8, as a command line and the file dialogs give mission files' paths.
std::string Utf8Of(const std::filesystem::path& path);

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);

// Text as the game files hold it on disk: every "\n" a CR LF.
std::string Disk(const std::string& text);
