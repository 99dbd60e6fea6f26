#include "TestFiles.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

CScratchFolder::CScratchFolder()
{
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root =
        fs::temp_directory_path() / ("kxvuz-test-" + std::to_string(stamp) + "-" + std::to_string(++counter));
    fs::create_directories(root);
}

CScratchFolder::~CScratchFolder()
{
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(root, error))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, error);
    fs::remove_all(root, error);
}

CScratchWorkingFolder::CScratchWorkingFolder() : previous(fs::current_path())
{
    fs::current_path(Path());
}

// Before the folder goes: Windows removes no folder that is a working folder.
CScratchWorkingFolder::~CScratchWorkingFolder()
{
    std::error_code error;
    fs::current_path(previous, error);
}

std::string CScratchFolder::operator/(const std::string& name) const
{
    return (root / name).string();
}

fs::path CScratchFolder::ForeignFolder() const
{
    const fs::path folder = root / fs::path(u8"\u0141ukasz");
    fs::create_directory(folder);
    return folder;
}

std::string Utf8Of(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Disk(const std::string& text)
{
    std::string disk;
    for (char c : text)
        disk += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return disk;
}
