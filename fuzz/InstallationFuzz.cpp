// Builds a game tree from the input and installs a sample mission into it. The input's first byte picks the
// mission; the rest, split at NUL bytes, gives the eight game files in the order of the backup, and a file
// without its part is missing. Korvex.exe is always there. A run that does not complete must leave every
// game file as it was.
#include "InstallationRun.h"
#include "MissionFile.h"
#include "ProgressState.h"
#include "Require.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace
{

namespace fs = std::filesystem;

// A standard mission, one with materials, a Duskreach and a multiplayer mission.
const std::vector<CMissionDefinition>& Missions()
{
    static const std::vector<CMissionDefinition> missions = []
    {
        std::vector<CMissionDefinition> loaded;
        for (const char* name : {"Harbor01", "Glasshouse03", "Ridge02", "MPFoundry"})
        {
            CMissionDefinition& mission = loaded.emplace_back();
            const std::string path = std::string(KX_SAMPLE_DIR) + "/missions/" + name + ".kxm";
            Require(LoadMissionFile(NativeFileSystem(), path, mission).Ok(), "cannot read " + path);
        }
        return loaded;
    }();
    return missions;
}

// The game files' places in the tree, in the order of the backup.
std::array<std::string, 8> GameFiles(const CMissionDefinition& mission)
{
    return {
        mission.duskreachTraining == 1 ? "data/mission/MPMission.lst" : "data/mission/mission.lst",
        "data/text/briefing/english/missionnames.txt",
        "data/text/intel/english/intelnames.txt",
        "data/text/interface/english/tutorial_groupings.txt",
        "data/text/interface/english/kx_string_table.txt",
        "data/text/briefing/" + mission.briefingFile,
        "data/text/intel/" + mission.intelFile,
        "data/texture/sherman.cxp",
    };
}

// One folder for the whole process. Every run syncs what it writes, which costs nothing in memory.
class CGameFolder
{
public:
    CGameFolder()
    {
        const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = (base / "kxvuz-fuzz-XXXXXX").string();
        Require(mkdtemp(pattern.data()) != nullptr, "cannot make a folder in " + base.string());
        root = pattern;
    }
    ~CGameFolder() { fs::remove_all(root); }

    const fs::path& Root() const { return root; }

private:
    fs::path root;
};

std::optional<std::string> Read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const fs::path& path, std::string_view bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    static const CGameFolder folder;
    const fs::path& root = folder.Root();
    fs::remove_all(root / "data");

    const std::vector<CMissionDefinition>& missions = Missions();
    const CMissionDefinition& mission = missions[data[0] % missions.size()];
    const std::array<std::string, 8> files = GameFiles(mission);
    std::array<std::optional<std::string>, 8> before;
    const std::string_view parts(reinterpret_cast<const char*>(data) + 1, size - 1);
    for (std::size_t i = 0, start = 0; i < files.size() && start <= parts.size(); ++i)
    {
        const std::size_t end = std::min(parts.find('\0', start), parts.size());
        before[i] = std::string(parts.substr(start, end - start));
        Write(root / files[i], *before[i]);
        start = end + 1;
    }
    Write(root / "Korvex.exe", "MZ");

    CSilentFrontEnd frontEnd;
    CInstallationRun run(NativeFileSystem(), frontEnd, root.string() + "/", mission,
                         (root / "kxinstall.log").string());
    if (run.RunInstallation() == RunOutcome::Completed)
        return 0;
    for (std::size_t i = 0; i < files.size(); ++i)
        Require(Read(root / files[i]) == before[i], "a run that did not complete changed " + files[i]);
    return 0;
}
