#pragma once

#include "FileSystem.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

// A file system over another one that reads what the other holds and keeps every write, rename, removal,
// attribute change and new folder in memory, so that a run can go through all its steps and leave the disk
// as it was. Names compare as Windows compares them, whatever the system below; a read-only file refuses
// writes until its attribute is cleared, here too in memory only. Its lock is its own: it creates nothing.
class COverlayFileSystem : public IFileSystem
{
public:
    explicit COverlayFileSystem(IFileSystem& below) : below(below) {}

    struct Change
    {
        // As the first operation that changed it named it.
        std::string path;
        // Nothing for a file that did not exist, or no longer does.
        std::optional<std::string> before;
        std::optional<std::string> after;
    };
    // Every file whose bytes now differ from the ones below, in the order the files were first changed.
    std::vector<Change> Changes();

    std::unique_ptr<IFile> Open(const std::string& path, OpenMode mode) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;
    bool CreateFolder(const std::string& path) override;
    std::optional<FileStatus> GetStatus(const std::string& path) override;
    bool SetReadOnly(const std::string& path, bool readOnly) override;
    FileLockAttempt Lock(const std::string& path) override;
    std::string TakeFailureReason() override;

private:
    class CFile;
    struct Node
    {
        std::string path;
        // Nothing once removed.
        std::shared_ptr<std::string> bytes;
        bool readOnly = false;
    };
    static std::string Key(const std::string& path);
    // The overlay's node for path, made from the file below when there is none yet; nothing without a file.
    Node* Materialize(const std::string& path);
    bool FolderExists(const std::string& path);
    bool ParentExists(const std::string& path);
    bool IsReadOnly(const std::string& path);
    void Touch(const std::string& key);
    bool Refuse(const std::string& why);

    IFileSystem& below;
    std::map<std::string, Node> nodes;
    std::set<std::string> folders;
    std::vector<std::string> order;
    std::string reason;
};
