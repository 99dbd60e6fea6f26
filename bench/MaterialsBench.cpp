// Times a complete standard installation run, as both programs make it (with its record), on a worst-case
// game against the floor: copying the same files as often through the same file system. Prints the medians
// and their ratio, and the space the record takes.

#include "FileReplace.h"
#include "GameFiles.h"
#include "InstallationRecords.h"
#include "MissionFile.h"
#include "ProgressState.h"
#include "RecordedInstallation.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

namespace fs = std::filesystem;

constexpr int kMaterials = 100;
constexpr int kTexturesPerMaterial = 4;
constexpr int kStringTableLines = 5000;
constexpr int kRepetitions = 15;

// Runs silently; a failure is kept so that a broken run does not pass for a fast one.
class CSilentFrontEnd : public CProgressState
{
public:
    std::string error;

    void CreateProgress() override {}
    void ShowTexts() override {}
    bool CancelRequested() override { return false; }
    void ShowError(const std::string& message, const std::string&, ErrorNotice) override { error = message; }
    void ShowMessage(const std::string&) override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    [[noreturn]] void EndProgram() override { throw CProgramEnd{}; }
};

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
    std::vector<double> floors;
    std::string installed;
    std::uintmax_t recordBytes = 0;
    for (int r = 0; r < kRepetitions; ++r)
    {
        FreshCopy(pristine, game);
        CSilentFrontEnd frontEnd;
        CRecordedInstallation run(fileSystem, frontEnd, directory, mission,
                                  ProgramPath(root) + "kxinstall.log");
        const auto start = std::chrono::steady_clock::now();
        const RunOutcome outcome = run.RunInstallation();
        runs.push_back(Seconds(std::chrono::steady_clock::now() - start));
        if (outcome != RunOutcome::Completed)
        {
            std::cerr << "The run did not complete: " << frontEnd.error << "\n";
            return 1;
        }
        installed = ReadText(game / materialFile);
        recordBytes = 0;
        for (const auto& entry :
             fs::recursive_directory_iterator(game / "data" / "Backup" / kRecordsFolderName))
            if (entry.is_regular_file())
                recordBytes += entry.file_size();

        FreshCopy(pristine, game);
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
    fs::remove_all(root);

    const double run = Median(runs);
    const double floor = Median(floors);
    std::cout << "material file after the run: " << installed.size() << " bytes, " << Entries(installed)
              << " entries\n";
    std::cout << "record:       " << recordBytes << " bytes\n";
    std::cout << "median run:   " << run * 1000 << " ms\n";
    std::cout << "median floor: " << floor * 1000 << " ms\n";
    std::cout << "ratio:        " << run / floor << "\n";
    return 0;
}
