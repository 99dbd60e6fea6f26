// Times a complete standard installation run, as both programs make it (with its record), on a worst-case
// game against the floor: copying the same files as often through the same file system. Prints the medians
// and their ratio, and the space the record takes. Then times an uninstall of the middle of three such
// installations against the run it makes again, and a dry run of the worst-case installation against the
// real one, and prints those ratios too.

#include "FileReplace.h"
#include "GameFiles.h"
#include "InnerRunFrontEnd.h"
#include "InstallationRecords.h"
#include "MissionFile.h"
#include "Preview.h"
#include "ProgressState.h"
#include "RecordedInstallation.h"
#include "Uninstall.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace
{

namespace fs = std::filesystem;

constexpr int kMaterials = 100;
constexpr int kTexturesPerMaterial = 4;
constexpr int kStringTableLines = 5000;
constexpr int kRepetitions = 15;

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// The program's form of a folder: ending in the platform's separator.
std::string ProgramPath(const fs::path& folder)
{
#ifdef _WIN32
    return folder.string() + "\\";
#else
    return folder.string() + "/";
#endif
}

std::string OldName(int i)
{
    return "bench_old_" + std::to_string(i);
}

// Half of the mission's materials, each with every effect and four textures: 8 entries a block, 400 in all.
std::string MaterialFile()
{
    std::string text = "// Benchmark material file\r\n\r\n";
    for (int i = 0; i < kMaterials / 2; ++i)
    {
        text +=
            "Material " + OldName(i) + "\t\tcolorkey 0 0 0 \r\n\tscroll 0 0.01 0 \r\n\tanimated 0 100 4\r\n";
        for (int t = 0; t < kTexturesPerMaterial; ++t)
            text += "\told_" + std::to_string(i) + "_" + std::to_string(t) + ".bmp\r\n";
        text += "End\r\n\r\n";
    }
    return text + "// end of material file\r\n";
}

// The sample's table with filler strings before OVERLAY_SUCCESS, which the string table edit looks for.
std::string StringTable(const std::string& sample)
{
    const std::size_t overlay = sample.find("OVERLAY_SUCCESS");
    std::string filler;
    for (int i = 0; i < kStringTableLines; ++i)
        filler += "BENCH_FILLER_" + std::to_string(i) + "\t\t\"A string that only takes up room\"\r\n";
    return sample.substr(0, overlay) + filler + sample.substr(overlay);
}

// The sample game's own standard mission, with materials that alternate between new ones and ones the file
// holds; false when the sample mission cannot be read.
bool LoadMission(CMissionDefinition& mission)
{
    if (!DecodeMission(ReadText(fs::path(KX_SAMPLE_DIR) / "missions" / "Harbor01.kxm"), mission).Ok())
        return false;
    for (int m = 0; m < kMaterials; ++m)
    {
        const int i = mission.MaterialCount();
        mission.AddMaterial(m % 2 == 0 ? "bench_new_" + std::to_string(m / 2) : OldName(m / 2));
        mission.SetTransparencyFlag(i, true);
        mission.SetColorkeyRed(i, "255");
        mission.SetColorkeyGreen(i, "0");
        mission.SetColorkeyBlue(i, "255");
        mission.SetScrollFlag(i, true);
        mission.SetScrollX(i, "0.05");
        mission.SetScrollY(i, "0");
        mission.SetScrollZ(i, "0");
        mission.SetAnimationFlag(i, true);
        mission.SetAnimationMode(i, 1);
        mission.SetAnimationInterval(i, "120");
        for (int t = 0; t < kTexturesPerMaterial; ++t)
            mission.AddTexture(i, "frame_" + std::to_string(m) + "_" + std::to_string(t) + ".bmp");
    }
    return true;
}

void FreshCopy(const fs::path& from, const fs::path& to)
{
    fs::remove_all(to);
    fs::copy(from, to, fs::copy_options::recursive);
}

// Lines that are neither blank nor "//" comments; the benchmark's material file has no other comments.
int Entries(const std::string& text)
{
    int entries = 0;
    std::size_t start = 0;
    while (start < text.size())
    {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::size_t first = text.find_first_not_of(" \t\r", start);
        if (first < end && text.compare(first, 2, "//") != 0)
            ++entries;
        start = end + 1;
    }
    return entries;
}

double Seconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The worst-case mission under another name, so that several can be installed side by side.
CMissionDefinition Variant(CMissionDefinition mission, int i)
{
    const std::string suffix = std::to_string(i);
    mission.missionName += " " + suffix;
    mission.missionFile = "Bench" + suffix + ".mis";
    for (std::string& token : mission.victoryTokens)
        token += "_" + suffix;
    return mission;
}

bool Install(const fs::path& root, const std::string& directory, const CMissionDefinition& mission)
{
    // A failure is kept so that a broken run does not pass for a fast one.
    CSilentFrontEnd silent;
    CInnerRunFrontEnd frontEnd(silent);
    CRecordedInstallation run(NativeFileSystem(), frontEnd, directory, mission,
                              ProgramPath(root) + "kxinstall.log");
    if (run.RunInstallation() == RunOutcome::Completed)
        return true;
    std::cerr << "The run did not complete: " << frontEnd.Failure() << "\n";
    return false;
}

// The median uninstall of the second of three installations, and the median of the one run it makes again:
// the third's, on a game that holds the first; nothing when a run or the uninstall failed.
std::optional<std::pair<double, double>> TimeUninstall(const CMissionDefinition& mission,
                                                       const fs::path& root, const fs::path& pristine,
                                                       const fs::path& game)
{
    const std::string directory = ProgramPath(game);
    const CMissionDefinition missions[] = {Variant(mission, 1), Variant(mission, 2), Variant(mission, 3)};
    std::vector<double> uninstalls;
    std::vector<double> replays;
    for (int r = 0; r < kRepetitions; ++r)
    {
        FreshCopy(pristine, game);
        for (const CMissionDefinition& installed : missions)
            if (!Install(root, directory, installed))
                return std::nullopt;
        CSilentFrontEnd frontEnd;
        const auto start = std::chrono::steady_clock::now();
        const Uninstallation removed = Uninstall(NativeFileSystem(), frontEnd, directory, "2", false,
                                                 ProgramPath(root) + "kxinstall.log");
        uninstalls.push_back(Seconds(std::chrono::steady_clock::now() - start));
        if (removed.outcome != UninstallOutcome::Removed)
        {
            std::cerr << "The uninstall did not complete: " << removed.messages.front() << "\n";
            return std::nullopt;
        }

        FreshCopy(pristine, game);
        if (!Install(root, directory, missions[0]))
            return std::nullopt;
        const auto replayStart = std::chrono::steady_clock::now();
        if (!Install(root, directory, missions[2]))
            return std::nullopt;
        replays.push_back(Seconds(std::chrono::steady_clock::now() - replayStart));
    }
    return std::pair(Median(uninstalls), Median(replays));
}

} // namespace

int main()
{
    CMissionDefinition mission;
    if (!LoadMission(mission))
    {
        std::cerr << "The sample mission could not be read.\n";
        return 1;
    }
    const fs::path root =
        fs::temp_directory_path() /
        ("kx_bench-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    const fs::path pristine = root / "pristine";
    const fs::path game = root / "game";
    fs::create_directories(root);
    fs::copy(fs::path(KX_SAMPLE_DIR) / "game", pristine, fs::copy_options::recursive);
    const fs::path materialFile = fs::path("data") / "texture" / "sherman.cxp";
    WriteText(pristine / materialFile, MaterialFile());
    const fs::path table = pristine / "data" / "text" / "interface" / "english" / "kx_string_table.txt";
    WriteText(table, StringTable(ReadText(table)));
    IFileSystem& fileSystem = NativeFileSystem();
    const std::string directory = ProgramPath(game);

    std::vector<double> runs;
    std::vector<double> dryRuns;
    std::vector<double> floors;
    std::string installed;
    std::uintmax_t recordBytes = 0;
    for (int r = 0; r < kRepetitions; ++r)
    {
        FreshCopy(pristine, game);
        CSilentFrontEnd silent;
        CInnerRunFrontEnd frontEnd(silent);
        CRecordedInstallation run(fileSystem, frontEnd, directory, mission,
                                  ProgramPath(root) + "kxinstall.log");
        const auto start = std::chrono::steady_clock::now();
        const RunOutcome outcome = run.RunInstallation();
        runs.push_back(Seconds(std::chrono::steady_clock::now() - start));
        if (outcome != RunOutcome::Completed)
        {
            std::cerr << "The run did not complete: " << frontEnd.Failure() << "\n";
            return 1;
        }
        installed = ReadText(game / materialFile);
        recordBytes = 0;
        for (const auto& entry :
             fs::recursive_directory_iterator(game / "data" / "Backup" / kRecordsFolderName))
            if (entry.is_regular_file())
                recordBytes += entry.file_size();

        FreshCopy(pristine, game);
        const auto dryStart = std::chrono::steady_clock::now();
        const InstallationPreview preview =
            PreviewInstallation(fileSystem, directory, mission, ProgramPath(root) + "kxinstall.log");
        dryRuns.push_back(Seconds(std::chrono::steady_clock::now() - dryStart));
        if (preview.outcome != RunOutcome::Completed)
        {
            std::cerr << "The dry run did not complete: " << preview.failure << "\n";
            return 1;
        }

        const std::string copy = directory + "copy.tmp";
        const auto floorStart = std::chrono::steady_clock::now();
        // Each file the run edits once, the material file once per material.
        for (const GameFile file : kGameFiles)
            for (int m = 0; m < (file == GameFile::MaterialFile ? kMaterials : 1); ++m)
            {
                const std::string path = directory + GameFileOf(file, mission).path;
                CopyFileReplacing(fileSystem, path, copy);
                CopyFileReplacing(fileSystem, copy, path);
            }
        floors.push_back(Seconds(std::chrono::steady_clock::now() - floorStart));
    }
    const auto uninstall = TimeUninstall(mission, root, pristine, game);
    fs::remove_all(root);
    if (!uninstall)
        return 1;

    const double run = Median(runs);
    const double floor = Median(floors);
    std::cout << "material file after the run: " << installed.size() << " bytes, " << Entries(installed)
              << " entries\n";
    std::cout << "record:       " << recordBytes << " bytes\n";
    std::cout << "median run:   " << run * 1000 << " ms\n";
    std::cout << "median floor: " << floor * 1000 << " ms\n";
    std::cout << "ratio:        " << run / floor << "\n";
    std::cout << "median dry run: " << Median(dryRuns) * 1000 << " ms\n";
    std::cout << "dry run ratio: " << Median(dryRuns) / run << "\n";
    std::cout << "median uninstall of the middle of three: " << uninstall->first * 1000 << " ms\n";
    std::cout << "median run it makes again:               " << uninstall->second * 1000 << " ms\n";
    std::cout << "uninstall ratio: " << uninstall->first / uninstall->second << "\n";
    return 0;
}
