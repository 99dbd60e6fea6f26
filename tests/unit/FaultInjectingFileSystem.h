#pragma once

#include "FileSystem.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

// Passes every operation to another file system, counting each one (file handles' too) and recording
// the paths it is given; it can fail the k-th operation, or every one from the k-th on.
class CFaultInjectingFileSystem : public IFileSystem
{
public:
    enum class Fault
    {
        IoError,
        // A write stores part of its bytes, then fails; other operations fail as with IoError.
        DiskFull,
        AccessDenied,
        // A rename takes place but reports failure, as when its folder cannot be flushed; other operations
        // fail as with IoError.
        UnconfirmedRename,
    };

    explicit CFaultInjectingFileSystem(IFileSystem& inner) : inner(inner) {}

    // k = 0 fails nothing.
    void FailAt(int k, bool fromThenOn, Fault kind)
    {
        failAt = k;
        persistent = fromThenOn;
        fault = kind;
    }
    // Fails every operation whose record ("Lock C:\\Korvex\\...") meets which; nothing fails none.
    void FailEvery(std::function<bool(const std::string&)> which, Fault kind)
    {
        failWhere = std::move(which);
        fault = kind;
    }
    int Operations() const { return operations; }
    int Injected() const { return injected; }
    // "Open w C:\Korvex\data\...": the operation, for opens the mode, and the path; writes and reads
    // are not listed, their opens are.
    const std::vector<std::string>& Touched() const { return touched; }
    // Called after every operation with its number, whether it failed or not.
    std::function<void(int)> afterOperation;

    std::unique_ptr<IFile> Open(const std::string& path, OpenMode mode) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool Remove(const std::string& path) override;
    bool CreateFolder(const std::string& path) override;
    std::optional<FileStatus> GetStatus(const std::string& path) override;
    bool SetReadOnly(const std::string& path, bool readOnly) override;
    FileLockAttempt Lock(const std::string& path) override;
    FileLockAttempt LockShared(const std::string& path) override;
    // An injected fault's reason names its kind: "Injected fault: disk full".
    std::string TakeFailureReason() override;

private:
    class CFile;
    // Counts one operation; true when it is to fail.
    bool Fails(const std::string& record);
    void Done();
    // Runs work, or failure when the operation is to fail.
    template <typename Failure, typename Work>
    auto Perform(const std::string& record, Failure failure, Work work);

    IFileSystem& inner;
    int failAt = 0;
    bool persistent = false;
    std::function<bool(const std::string&)> failWhere;
    Fault fault = Fault::IoError;
    int operations = 0;
    int injected = 0;
    std::vector<std::string> touched;
    // The latest injected fault's; the inner file system's reason was taken then, so any it holds is newer.
    std::string reason;
};
