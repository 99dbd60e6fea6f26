#include "OverlayFileSystem.h"

#include "FileReplace.h"
#include "NameCase.h"

#include <algorithm>
#include <utility>

namespace
{

constexpr char kReadOnly[] = "The file is read-only.";
constexpr char kNoFolder[] = "The folder does not exist.";

std::string ParentOf(const std::string& path)
{
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? "" : path.substr(0, separator);
}

} // namespace

// Reads and writes the node's bytes, so that what one handle writes the next one sees.
class COverlayFileSystem::CFile : public IFile
{
public:
    CFile(std::shared_ptr<std::string> bytes, bool writable) : bytes(std::move(bytes)), writable(writable) {}

    std::int64_t Read(char* buffer, std::size_t size) override
    {
        const std::size_t count = position < bytes->size() ? std::min(size, bytes->size() - position) : 0;
        std::copy_n(bytes->data() + position, count, buffer);
        position += count;
        return static_cast<std::int64_t>(count);
    }
    std::size_t Write(const char* data, std::size_t size) override
    {
        if (!writable)
            return 0;
        if (bytes->size() < position + size)
            bytes->resize(position + size, '\0');
        bytes->replace(position, size, data, size);
        position += size;
        return size;
    }
    bool Seek(std::int64_t offset) override
    {
        position = static_cast<std::size_t>(std::max<std::int64_t>(offset, 0));
        return offset >= 0;
    }
    bool Truncate() override
    {
        if (!writable)
            return false;
        bytes->resize(std::min(position, bytes->size()));
        return true;
    }
    bool Flush() override { return true; }
    bool Close() override { return true; }

private:
    std::shared_ptr<std::string> bytes;
    bool writable;
    std::size_t position = 0;
};

std::string COverlayFileSystem::Key(const std::string& path)
{
    // Each character as the two bytes of the UTF-16 unit NTFS compares it as.
    std::string key;
    for (const char c : path)
    {
        const char16_t unit = c == '/' ? u'\\' : NtfsUpperCase(c);
        key += static_cast<char>(unit >> 8);
        key += static_cast<char>(unit & 0xff);
    }
    while (key.size() > 2 && key.ends_with(std::string_view("\0\\", 2)))
        key.resize(key.size() - 2);
    return key;
}

void COverlayFileSystem::Touch(const std::string& key)
{
    if (std::find(order.begin(), order.end(), key) == order.end())
        order.push_back(key);
}

bool COverlayFileSystem::Refuse(const std::string& why)
{
    reason = why;
    return false;
}

COverlayFileSystem::Node* COverlayFileSystem::Materialize(const std::string& path)
{
    const std::string key = Key(path);
    if (const auto found = nodes.find(key); found != nodes.end())
        return found->second.bytes ? &found->second : nullptr;
    const std::optional<FileStatus> status = below.GetStatus(path);
    if (!status || status->folder)
        return nullptr;
    std::optional<std::string> bytes = ReadFileBytes(below, path);
    if (!bytes)
        return nullptr;
    Node& node = nodes[key];
    node = {path, std::make_shared<std::string>(std::move(*bytes)), status->readOnly};
    return &node;
}

bool COverlayFileSystem::FolderExists(const std::string& path)
{
    if (path.empty() || folders.count(Key(path)))
        return true;
    if (nodes.count(Key(path)))
        return false;
    const std::optional<FileStatus> status = below.GetStatus(path);
    return status && status->folder;
}

bool COverlayFileSystem::ParentExists(const std::string& path)
{
    return FolderExists(ParentOf(path));
}

bool COverlayFileSystem::IsReadOnly(const std::string& path)
{
    const auto status = GetStatus(path);
    return status && status->readOnly;
}

std::unique_ptr<IFile> COverlayFileSystem::Open(const std::string& path, OpenMode mode)
{
    const std::string key = Key(path);
    if (mode == OpenMode::Read)
    {
        if (const auto found = nodes.find(key); found != nodes.end())
        {
            if (!found->second.bytes)
                return Refuse("The file does not exist."), nullptr;
            return std::make_unique<CFile>(found->second.bytes, false);
        }
        return below.Open(path, mode);
    }
    if (IsReadOnly(path))
        return Refuse(kReadOnly), nullptr;
    // What a write empties is not worth reading first.
    const auto found = nodes.find(key);
    Node* node = mode == OpenMode::ReadWrite || (found != nodes.end() && found->second.bytes)
                     ? Materialize(path)
                     : nullptr;
    if (!node && mode == OpenMode::ReadWrite)
        return Refuse("The file does not exist."), nullptr;
    if (!node)
    {
        if (!ParentExists(path) || FolderExists(path))
            return Refuse(kNoFolder), nullptr;
        node = &nodes[key];
        *node = {path, std::make_shared<std::string>(), false};
    }
    if (mode == OpenMode::Write)
        node->bytes->clear();
    Touch(key);
    return std::make_unique<CFile>(node->bytes, true);
}

bool COverlayFileSystem::Rename(const std::string& from, const std::string& to)
{
    Node* source = Materialize(from);
    if (!source)
        return Refuse("The file does not exist.");
    if (IsReadOnly(to))
        return Refuse(kReadOnly);
    if (!ParentExists(to) || FolderExists(to))
        return Refuse(kNoFolder);
    const std::string fromKey = Key(from);
    const std::string toKey = Key(to);
    if (fromKey == toKey)
        return true;
    Node moved = *source;
    // The target keeps the name it had.
    const auto target = nodes.find(toKey);
    moved.path = target != nodes.end() && target->second.bytes ? target->second.path : to;
    source->bytes = nullptr;
    Touch(fromKey);
    nodes[toKey] = std::move(moved);
    Touch(toKey);
    return true;
}

bool COverlayFileSystem::Remove(const std::string& path)
{
    if (folders.count(Key(path)) || (!nodes.count(Key(path)) && FolderExists(path)))
        return Refuse("The path names a folder.");
    const std::string key = Key(path);
    Node& node = nodes[key];
    if (node.path.empty())
        node.path = path;
    node.bytes = nullptr;
    Touch(key);
    return true;
}

bool COverlayFileSystem::CreateFolder(const std::string& path)
{
    if (FolderExists(path))
        return true;
    if (GetStatus(path) || !ParentExists(path))
        return Refuse(kNoFolder);
    folders.insert(Key(path));
    return true;
}

std::optional<FileStatus> COverlayFileSystem::GetStatus(const std::string& path)
{
    const std::string key = Key(path);
    if (const auto found = nodes.find(key); found != nodes.end())
        return found->second.bytes ? std::optional(FileStatus{found->second.readOnly, false}) : std::nullopt;
    if (folders.count(key))
        return FileStatus{false, true};
    return below.GetStatus(path);
}

bool COverlayFileSystem::SetReadOnly(const std::string& path, bool readOnly)
{
    Node* node = Materialize(path);
    if (!node)
        return Refuse("The file does not exist.");
    node->readOnly = readOnly;
    Touch(Key(path));
    return true;
}

namespace
{

class COverlayLock : public IFileLock
{
};

} // namespace

FileLockAttempt COverlayFileSystem::Lock(const std::string&)
{
    return {std::make_unique<COverlayLock>(), false};
}

std::string COverlayFileSystem::TakeFailureReason()
{
    if (reason.empty())
        return below.TakeFailureReason();
    return std::exchange(reason, "");
}

std::vector<COverlayFileSystem::Change> COverlayFileSystem::Changes()
{
    std::vector<Change> changes;
    for (const std::string& key : order)
    {
        const Node& node = nodes.at(key);
        const std::optional<FileStatus> status = below.GetStatus(node.path);
        std::optional<std::string> before =
            status && !status->folder ? ReadFileBytes(below, node.path) : std::nullopt;
        std::optional<std::string> after = node.bytes ? std::optional(*node.bytes) : std::nullopt;
        if (before != after)
            changes.push_back({node.path, std::move(before), std::move(after)});
    }
    return changes;
}
