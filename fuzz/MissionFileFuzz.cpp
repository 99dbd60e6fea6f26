// Reads the input as a mission file twice: from memory, and from a file that hands out its bytes a few at a
// time. Both readings must agree, and a mission that reads must write bytes that read as the same mission.
#include "FileSystem.h"
#include "MissionFile.h"
#include "Require.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace
{

class CTrickleFile : public IFile
{
public:
    explicit CTrickleFile(std::string_view bytes) : rest(bytes) {}

    std::int64_t Read(char* buffer, std::size_t size) override
    {
        // A few bytes a call, so that lengths, counts and texts are read across the file's pieces.
        const std::size_t count = std::min({size, rest.size(), std::size_t{16}});
        std::memcpy(buffer, rest.data(), count);
        rest.remove_prefix(count);
        return static_cast<std::int64_t>(count);
    }
    std::size_t Write(const char*, std::size_t) override { return 0; }
    bool Seek(std::int64_t) override { return false; }
    bool Truncate() override { return false; }
    bool Flush() override { return false; }
    bool Close() override { return true; }

private:
    std::string_view rest;
};

// Holds one file, the input, under every path; nothing can be written.
class CInputFileSystem : public IFileSystem
{
public:
    explicit CInputFileSystem(std::string_view bytes) : bytes(bytes) {}

    std::unique_ptr<IFile> Open(const std::string&, OpenMode mode) override
    {
        if (mode != OpenMode::Read)
            return nullptr;
        return std::make_unique<CTrickleFile>(bytes);
    }
    bool Rename(const std::string&, const std::string&) override { return false; }
    bool Remove(const std::string&) override { return false; }
    bool CreateFolder(const std::string&) override { return false; }
    std::optional<FileStatus> GetStatus(const std::string&) override { return FileStatus{}; }
    bool SetReadOnly(const std::string&, bool) override { return false; }
    FileLockAttempt Lock(const std::string&) override { return {}; }
    std::string TakeFailureReason() override { return {}; }

private:
    std::string_view bytes;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CMissionDefinition fromMemory;
    const MissionFileResult decoded = DecodeMission(bytes, fromMemory);

    CInputFileSystem fileSystem(bytes);
    CMissionDefinition fromFile;
    const MissionFileResult loaded = LoadMissionFile(fileSystem, "input.kxm", fromFile);
    Require(decoded.status == loaded.status && decoded.detail == loaded.detail && fromMemory == fromFile,
            "the mission file reads differently from memory and from a file");
    if (!decoded.Ok())
        return 0;

    // Both programs validate every mission they read.
    fromMemory.Validate();
    CMissionDefinition again;
    Require(DecodeMission(EncodeMission(fromMemory), again).Ok() && again == fromMemory,
            "a mission read from a file does not read the same once written");
    return 0;
}
