#include "MemoryFileSystem.h"

#include "TestFiles.h"

#include <algorithm>
#include <cctype>

namespace fs = std::filesystem;

// Reads and writes the node itself, so that what one handle writes the next one sees.
class CMemoryFileSystem::CFile : public IFile
{
public:
    explicit CFile(Node& node) : node(node) {}

    std::int64_t Read(char* buffer, std::size_t size) override
    {
        const std::size_t count =
            position < node.bytes.size() ? std::min(size, node.bytes.size() - position) : 0;
        std::copy_n(node.bytes.data() + position, count, buffer);
        position += count;
        return static_cast<std::int64_t>(count);
    }
    std::size_t Write(const char* data, std::size_t size) override
    {
        if (node.bytes.size() < position + size)
            node.bytes.resize(position + size, '\0');
        node.bytes.replace(position, size, data, size);
        position += size;
        return size;
    }
    bool Seek(std::int64_t offset) override
    {
        position = static_cast<std::size_t>(offset);
        return offset >= 0;
    }
    bool Truncate() override
    {
        node.bytes.resize(std::min(position, node.bytes.size()));
        return true;
    }
    bool Flush() override { return true; }
    bool Close() override { return true; }

private:
    Node& node;
    std::size_t position = 0;
};

class CMemoryFileSystem::CLock : public IFileLock
{
public:
    CLock(std::map<std::string, int>& locks, std::string key) : locks(locks), key(std::move(key)) {}
    ~CLock() override
    {
        int& holders = locks.at(key);
        if (holders == -1 || --holders == 0)
            locks.erase(key);
    }

private:
    std::map<std::string, int>& locks;
    std::string key;
};

CMemoryFileSystem::CMemoryFileSystem(const fs::path& folder, const std::string& root)
{
    for (std::size_t end = root.find('\\'); end != std::string::npos; end = root.find('\\', end + 1))
        folders.insert(Key(root.substr(0, end)));
    for (const auto& entry : fs::recursive_directory_iterator(folder))
    {
        std::string relative = fs::relative(entry.path(), folder).generic_string();
        std::replace(relative.begin(), relative.end(), '/', '\\');
        if (entry.is_directory())
            folders.insert(Key(root + relative));
        else
            Write(root + relative, ReadBytes(entry.path()));
    }
}

std::string CMemoryFileSystem::Key(const std::string& path)
{
    std::string key = path;
    for (char& c : key)
        c = c == '/' ? '\\' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    while (key.size() > 1 && key.back() == '\\')
        key.pop_back();
    return key;
}

bool CMemoryFileSystem::HasParentFolder(const std::string& key) const
{
    const std::size_t separator = key.rfind('\\');
    return separator != std::string::npos && folders.count(key.substr(0, separator)) != 0;
}

std::unique_ptr<IFile> CMemoryFileSystem::Open(const std::string& path, OpenMode mode)
{
    const std::string key = Key(path);
    auto found = files.find(key);
    if (mode == OpenMode::Write && found == files.end())
    {
        if (!HasParentFolder(key) || folders.count(key) != 0)
            return nullptr;
        found = files.emplace(key, Node{path, "", false}).first;
    }
    if (found == files.end() || (mode != OpenMode::Read && found->second.readOnly))
        return nullptr;
    if (mode == OpenMode::Write)
        found->second.bytes.clear();
    return std::make_unique<CFile>(found->second);
}

bool CMemoryFileSystem::Rename(const std::string& from, const std::string& to)
{
    const std::string fromKey = Key(from);
    const std::string toKey = Key(to);
    const auto source = files.find(fromKey);
    const auto target = files.find(toKey);
    if (source == files.end() || folders.count(toKey) != 0 || !HasParentFolder(toKey) ||
        (target != files.end() && target->second.readOnly))
        return false;
    if (fromKey == toKey)
        return true;
    Node moved = std::move(source->second);
    files.erase(source);
    // The target keeps the name it had.
    if (target != files.end())
        moved.path = target->second.path;
    else
        moved.path = to;
    files[toKey] = std::move(moved);
    return true;
}

bool CMemoryFileSystem::Remove(const std::string& path)
{
    const std::string key = Key(path);
    if (folders.count(key) != 0)
        return false;
    files.erase(key);
    return true;
}

bool CMemoryFileSystem::CreateFolder(const std::string& path)
{
    const std::string key = Key(path);
    if (folders.count(key) != 0)
        return true;
    if (files.count(key) != 0 || !HasParentFolder(key))
        return false;
    folders.insert(key);
    return true;
}

std::optional<FileStatus> CMemoryFileSystem::GetStatus(const std::string& path)
{
    const std::string key = Key(path);
    if (folders.count(key) != 0)
        return FileStatus{false, true};
    const auto found = files.find(key);
    if (found == files.end())
        return std::nullopt;
    return FileStatus{found->second.readOnly, false};
}

bool CMemoryFileSystem::SetReadOnly(const std::string& path, bool readOnly)
{
    const auto found = files.find(Key(path));
    if (found == files.end())
        return false;
    found->second.readOnly = readOnly;
    return true;
}

FileLockAttempt CMemoryFileSystem::Lock(const std::string& path)
{
    const std::string key = Key(path);
    if (locks.count(key) != 0)
        return {nullptr, true};
    if (files.count(key) == 0 && !Open(path, OpenMode::Write))
        return {};
    locks[key] = -1;
    return {std::make_unique<CLock>(locks, key), false};
}

FileLockAttempt CMemoryFileSystem::LockShared(const std::string& path)
{
    const std::string key = Key(path);
    if (locks.count(key) != 0 && locks[key] == -1)
        return {nullptr, true};
    if (files.count(key) == 0)
        return {};
    ++locks[key];
    return {std::make_unique<CLock>(locks, key), false};
}

std::map<std::string, std::string> CMemoryFileSystem::Files() const
{
    std::map<std::string, std::string> result;
    for (const auto& [key, node] : files)
        result[node.path] = node.bytes;
    return result;
}

void CMemoryFileSystem::Write(const std::string& path, const std::string& bytes)
{
    files[Key(path)] = Node{path, bytes, false};
}
