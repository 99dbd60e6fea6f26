#include "FaultInjectingFileSystem.h"

#include <algorithm>
#include <utility>

namespace
{

// What a failed operation gives: false, no file, no status.
template <typename Result> Result Failed()
{
    return Result{};
}

} // namespace

template <typename Failure, typename Work>
auto CFaultInjectingFileSystem::Perform(const std::string& record, Failure failure, Work work)
{
    if (!record.empty())
        touched.push_back(record);
    const bool fails = Fails(record);
    auto result = fails ? failure() : work();
    if (fails)
    {
        static const char* const kKinds[] = {"I/O error", "disk full", "access denied", "unconfirmed rename"};
        inner.TakeFailureReason();
        reason = std::string("Injected fault: ") + kKinds[static_cast<int>(fault)];
    }
    Done();
    return result;
}

class CFaultInjectingFileSystem::CFile : public IFile
{
public:
    CFile(CFaultInjectingFileSystem& owner, std::unique_ptr<IFile> inner)
        : owner(owner), inner(std::move(inner))
    {
    }

    std::int64_t Read(char* buffer, std::size_t size) override
    {
        return owner.Perform(
            "", [] { return std::int64_t{-1}; }, [&] { return inner->Read(buffer, size); });
    }
    std::size_t Write(const char* data, std::size_t size) override
    {
        // A full disk takes half of the bytes before it fails.
        return owner.Perform(
            "",
            [&] { return owner.fault == Fault::DiskFull ? inner->Write(data, size / 2) : std::size_t{0}; },
            [&] { return inner->Write(data, size); });
    }
    bool Seek(std::int64_t offset) override
    {
        return owner.Perform("", Failed<bool>, [&] { return inner->Seek(offset); });
    }
    bool Truncate() override
    {
        return owner.Perform("", Failed<bool>, [&] { return inner->Truncate(); });
    }
    bool Flush() override
    {
        return owner.Perform("", Failed<bool>, [&] { return inner->Flush(); });
    }
    bool Close() override
    {
        const bool result = owner.Perform("", Failed<bool>, [&] { return inner->Close(); });
        // A close that fails has still given up the handle.
        inner->Close();
        return result;
    }

private:
    CFaultInjectingFileSystem& owner;
    std::unique_ptr<IFile> inner;
};

bool CFaultInjectingFileSystem::Fails(const std::string& record)
{
    ++operations;
    const bool fails = (failAt > 0 && (persistent ? operations >= failAt : operations == failAt)) ||
                       (failWhere && failWhere(record));
    injected += fails;
    return fails;
}

void CFaultInjectingFileSystem::Done()
{
    if (afterOperation)
        afterOperation(operations);
}

std::unique_ptr<IFile> CFaultInjectingFileSystem::Open(const std::string& path, OpenMode mode)
{
    static const char* const kModes[] = {"r", "w", "r+"};
    std::unique_ptr<IFile> file =
        Perform("Open " + std::string(kModes[static_cast<int>(mode)]) + " " + path,
                Failed<std::unique_ptr<IFile>>, [&] { return inner.Open(path, mode); });
    if (!file)
        return nullptr;
    return std::make_unique<CFile>(*this, std::move(file));
}

bool CFaultInjectingFileSystem::Rename(const std::string& from, const std::string& to)
{
    const auto failure = [&]
    {
        if (fault == Fault::UnconfirmedRename)
            inner.Rename(from, to);
        return false;
    };
    return Perform("Rename " + from + " > " + to, failure, [&] { return inner.Rename(from, to); });
}

bool CFaultInjectingFileSystem::Remove(const std::string& path)
{
    return Perform("Remove " + path, Failed<bool>, [&] { return inner.Remove(path); });
}

bool CFaultInjectingFileSystem::CreateFolder(const std::string& path)
{
    return Perform("CreateFolder " + path, Failed<bool>, [&] { return inner.CreateFolder(path); });
}

std::optional<FileStatus> CFaultInjectingFileSystem::GetStatus(const std::string& path)
{
    return Perform("GetStatus " + path, Failed<std::optional<FileStatus>>,
                   [&] { return inner.GetStatus(path); });
}

bool CFaultInjectingFileSystem::SetReadOnly(const std::string& path, bool readOnly)
{
    return Perform("SetReadOnly " + path, Failed<bool>, [&] { return inner.SetReadOnly(path, readOnly); });
}

FileLockAttempt CFaultInjectingFileSystem::Lock(const std::string& path)
{
    return Perform("Lock " + path, Failed<FileLockAttempt>, [&] { return inner.Lock(path); });
}

FileLockAttempt CFaultInjectingFileSystem::LockShared(const std::string& path)
{
    return Perform("LockShared " + path, Failed<FileLockAttempt>, [&] { return inner.LockShared(path); });
}

std::string CFaultInjectingFileSystem::TakeFailureReason()
{
    std::string innerReason = inner.TakeFailureReason();
    std::string own = std::exchange(reason, {});
    return innerReason.empty() ? own : innerReason;
}
