#pragma once

#include "FileSystem.h"

#include <filesystem>
#include <map>
#include <set>
#include <string>

// A file system held in memory, with Windows' rules: names match whatever their case, "\" and "/" both
// separate, read-only files refuse writes and renames over them, and a file needs its folder. Copies of
// it are independent, which makes a fresh game for every run cheap.
class CMemoryFileSystem : public IFileSystem
{
public:
    // The files below folder on disk, placed under root (a program path ending in "\").
    CMemoryFileSystem(const std::filesystem::path& folder, const std::string& root);

    std::unique_ptr<IFile> Open(const std::string& path, OpenMode mode) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;
    bool CreateFolder(const std::string& path) override;
    std::optional<FileStatus> GetStatus(const std::string& path) override;
    bool SetReadOnly(const std::string& path, bool readOnly) override;
    // Held per file system: two runs over one memory game contend as two processes would.
    FileLockAttempt Lock(const std::string& path) override;
    FileLockAttempt LockShared(const std::string& path) override;
    // No system stands behind it to give a reason.
    std::string TakeFailureReason() override { return {}; }

    // Every file's bytes by its path as first created.
    std::map<std::string, std::string> Files() const;
    void Write(const std::string& path, const std::string& bytes);

private:
    struct Node
    {
        std::string path;
        std::string bytes;
        bool readOnly = false;
    };
    class CFile;
    class CLock;
    static std::string Key(const std::string& path);
    bool HasParentFolder(const std::string& key) const;

    std::map<std::string, Node> files;
    std::set<std::string> folders;
    // Each locked file: -1 held by Lock, else how many share it.
    std::map<std::string, int> locks;
};
