#include "GameChecks.h"

#include "GameFiles.h"
#include "LineBounds.h"
#include "MaterialText.h"
#include "Numbers.h"
#include "TextFile.h"
#include "UsableGameDirectory.h"

#include <algorithm>

#include <cstdint>
#include <string_view>
#include <utility>

namespace
{

constexpr std::size_t npos = std::string::npos;

std::string Counted(int count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The number of the line, from 1, that holds position.
int LineNumberOf(CTextFile& file, std::int64_t position)
{
    file.SetPos(0);
    int number = 1;
    std::string line;
    while (file.ReadLine(line) && file.GetPos() <= position)
        ++number;
    return number;
}

// The items that the four sections of an intel file number, walked as the intel update walks them; nothing
// when the file ends first.
std::optional<int> IntelItems(CTextFile& file)
{
    int total = 0;
    for (int section = 0; section < 4; ++section)
    {
        const std::optional<std::int64_t> count = NextEntry(file);
        if (!count)
            return std::nullopt;
        const std::int64_t afterCount = file.GetPos();
        const int items = ReadCountAt(file, *count);
        file.SetPos(afterCount);
        for (int item = 0; item < items; ++item, ++total)
            if (!NextEntry(file))
                return std::nullopt;
    }
    return total;
}

struct StringEntry
{
    std::string token;
    std::string text;
};

// Each entry's line, as the run's entry search finds them.
std::vector<std::string> EntryLines(CTextFile& file)
{
    std::vector<std::string> lines;
    std::string line;
    while (const std::optional<std::int64_t> entry = NextEntry(file))
    {
        const std::int64_t next = file.GetPos();
        file.SetPos(*entry);
        file.ReadLine(line);
        file.SetPos(next);
        lines.push_back(line);
    }
    return lines;
}

// An entry is the token, two tabs and the text in double quotes.
std::vector<StringEntry> StringTableEntries(CTextFile& file)
{
    std::vector<StringEntry> entries;
    for (const std::string& line : EntryLines(file))
    {
        const std::size_t start = line.find_first_not_of(" \t");
        const std::size_t open = line.find('"');
        const std::size_t close = line.rfind('"');
        entries.push_back({line.substr(start, line.find_first_of(" \t\"\r\n", start) - start),
                           open < close ? line.substr(open + 1, close - open - 1) : ""});
    }
    return entries;
}

struct UnclosedBlock
{
    int line;
    const char* before;
};

// A block of the material file that runs on into the next material's line, or to the file's end, before
// its End: the block rewrite would take the next material's lines for its own. The material is found as the
// material edit finds it, and End as the rewrite looks for it: behind the name on the material's own line,
// then on each entry after it, with a "/*" comment carried from one to the next.
std::optional<UnclosedBlock> FindUnclosedBlock(CTextFile& file, std::string_view name)
{
    file.SetPos(0);
    std::string line;
    std::optional<std::int64_t> material;
    std::size_t nameEnd = npos;
    while (nameEnd == npos)
    {
        material = NextEntry(file);
        if (!material)
            return std::nullopt;
        const std::int64_t next = file.GetPos();
        file.SetPos(*material);
        file.ReadLine(line);
        nameEnd = MaterialNameEnd(line, name);
        if (nameEnd == npos)
            file.SetPos(next);
    }
    bool inComment = false;
    std::size_t end = FindWord(line, nameEnd, "End", inComment);
    while (end == npos)
    {
        const std::optional<std::int64_t> entry = NextEntry(file);
        if (!entry)
            return UnclosedBlock{LineNumberOf(file, *material), "the end of the file"};
        file.SetPos(*entry);
        file.ReadLine(line);
        bool inMaterialComment = inComment;
        if (FindWord(line, 0, "Material", inMaterialComment) != npos)
            return UnclosedBlock{LineNumberOf(file, *material), "the next Material line"};
        end = FindWord(line, 0, "End", inComment);
    }
    return std::nullopt;
}

class CGameCheck
{
public:
    CGameCheck(IFileSystem& fileSystem, const std::string& gameDirectory, const CMissionDefinition& mission)
        : fileSystem(fileSystem), gameDirectory(gameDirectory), mission(mission)
    {
    }

    std::vector<GameFinding> Run()
    {
        if (mission.multiplayer == 0)
        {
            CheckOwnFile(GameFinding::Kind::Problem, "briefing", Path(GameFile::Briefing));
            if (CheckOwnFile(GameFinding::Kind::Problem, "intel", Path(GameFile::Intel)))
                CheckIntelItems(Path(GameFile::Intel));
        }
        CheckComments();
        CheckVictoryTokens();
        CheckMaterialBlocks();
        for (const auto& [what, name] :
             {std::pair{"mission", &mission.missionFile}, std::pair{"splash", &mission.splashFile}})
            if (!name->empty())
                CheckOwnFile(GameFinding::Kind::Warning, what, kMissionFolder + *name);
        for (const auto& [what, name] :
             {std::pair{"recon kit", &mission.reconKit}, std::pair{"assault kit", &mission.assaultKit},
              std::pair{"demolitions kit", &mission.demolitionsKit},
              std::pair{"electronics kit", &mission.electronicsKit}})
            if (!name->empty())
                CheckOwnFile(GameFinding::Kind::Warning, what, kKitsFolder + *name);
        return std::move(findings);
    }

private:
    void Add(GameFinding::Kind kind, std::string message) { findings.push_back({kind, std::move(message)}); }

    std::string Path(GameFile file) const { return GameFileOf(file, mission).path; }

    // Game paths are relative to the game directory, as the messages name them.
    bool Open(CTextFile& file, const std::string& path)
    {
        return file.Open(fileSystem, gameDirectory + path, "r");
    }

    // Whether the game holds the mission's file at path; a finding of kind when it does not.
    bool CheckOwnFile(GameFinding::Kind kind, const char* what, const std::string& path)
    {
        const std::optional<FileStatus> status = fileSystem.GetStatus(gameDirectory + path);
        if (status && !status->folder)
            return true;
        Add(kind, std::string("The ") + what + " file " + path + " is not in the game's folders; " +
                      (kind == GameFinding::Kind::Problem
                           ? "the mission's own files go there before it is installed."
                           : "the game needs it to play the mission."));
        return false;
    }

    // Item k of the intel file is given the k-th intel entry's name: an item beyond the entries would name
    // whatever the next installation appends.
    void CheckIntelItems(const std::string& path)
    {
        CTextFile file;
        const std::optional<int> items = Open(file, path) ? IntelItems(file) : std::nullopt;
        if (!items)
        {
            Add(GameFinding::Kind::Problem,
                "The intel file " + path +
                    " cannot be read as four sections of items, each a count and then that many items.");
            return;
        }
        const int entries = static_cast<int>(mission.intelEntries.size());
        if (*items != entries)
            Add(*items > entries ? GameFinding::Kind::Problem : GameFinding::Kind::Warning,
                "The intel file " + path + " numbers " + Counted(*items, "item", "items") + ", " +
                    (*items > entries ? "more" : "fewer") + " than the mission's " +
                    Counted(entries, "intel entry", "intel entries") + ".");
    }

    // A "/*" that is never closed hides the rest of its file from the run's entry search, which runs off the
    // file's end when it looks for anything behind it. The material file keeps comment rules of its own.
    void CheckComments()
    {
        // In the order in which the run reads them; a multiplayer run reads the string table alone.
        std::vector<GameFile> files;
        if (mission.multiplayer == 0)
            files = {GameFile::MissionList, GameFile::TutorialGroupings, GameFile::MissionNames,
                     GameFile::Briefing,    GameFile::IntelNames,        GameFile::Intel};
        files.push_back(GameFile::StringTable);
        for (const GameFile game : files)
        {
            const std::string path = Path(game);
            CTextFile file;
            if (!Open(file, path))
                continue;
            if (const std::optional<std::int64_t> opened = UnclosedComment(file))
                Add(GameFinding::Kind::Problem,
                    "The file " + path + " has a comment opened with /* on line " +
                        std::to_string(LineNumberOf(file, *opened)) + " that is never closed.");
        }
    }

    // The run adds every token again, so a token that the table already defines is there twice afterwards.
    void CheckVictoryTokens()
    {
        CTextFile file;
        if (mission.victoryTokens.empty() || !Open(file, Path(GameFile::StringTable)))
            return;
        const std::vector<StringEntry> entries = StringTableEntries(file);
        for (std::size_t i = 0; i < mission.victoryTokens.size(); ++i)
        {
            const CString& token = mission.victoryTokens[i];
            const CString description =
                i < mission.victoryDescriptions.size() ? mission.victoryDescriptions[i] : "";
            bool same = false;
            const StringEntry* other = nullptr;
            for (const StringEntry& entry : entries)
                if (entry.token == token && entry.text == description)
                    same = true;
                else if (entry.token == token && !other)
                    other = &entry;
            if (other)
                Add(GameFinding::Kind::Problem, "The victory token " + token + " is already in " +
                                                    Path(GameFile::StringTable) + " with another text: \"" +
                                                    other->text + "\".");
            else if (same)
                Add(GameFinding::Kind::Warning, "The victory token " + token + " is already in " +
                                                    Path(GameFile::StringTable) +
                                                    " with the same text; the table will hold it twice.");
        }
    }

    void CheckMaterialBlocks()
    {
        CTextFile file;
        if (mission.materialNames.empty() || !Open(file, Path(GameFile::MaterialFile)))
            return;
        for (const CString& name : mission.materialNames)
            if (const std::optional<UnclosedBlock> block = FindUnclosedBlock(file, name))
                Add(GameFinding::Kind::Problem,
                    "The block of material " + name + " in " + Path(GameFile::MaterialFile) + ", line " +
                        std::to_string(block->line) + ", has no End before " + block->before + ".");
    }

    IFileSystem& fileSystem;
    const std::string& gameDirectory;
    const CMissionDefinition& mission;
    std::vector<GameFinding> findings;
};

} // namespace

std::vector<GameFinding> CheckAgainstGame(IFileSystem& fileSystem, const std::string& gameDirectory,
                                          const CMissionDefinition& mission)
{
    return CGameCheck(fileSystem, gameDirectory, mission).Run();
}

std::optional<std::string> FirstProblem(const std::vector<GameFinding>& findings)
{
    for (const GameFinding& finding : findings)
        if (finding.kind == GameFinding::Kind::Problem)
            return finding.message;
    return std::nullopt;
}

std::vector<std::string> EntryWords(IFileSystem& fileSystem, const std::string& gameDirectory,
                                    const std::string& path)
{
    CTextFile file;
    std::vector<std::string> words;
    if (!file.Open(fileSystem, gameDirectory + path, "r"))
        return words;
    for (const std::string& line : EntryLines(file))
    {
        const std::size_t start = line.find_first_not_of(" \t");
        words.push_back(line.substr(start, line.find_first_of(" \t\r\n", start) - start));
    }
    return words;
}

std::string FindingText(const GameFinding& finding)
{
    return (finding.kind == GameFinding::Kind::Problem ? "problem: " : "warning: ") + finding.message;
}

std::vector<GameFinding> CheckInstallation(IFileSystem& fileSystem, const std::string& gameDirectory,
                                           const CMissionDefinition& mission)
{
    // The game checks open the mission's files by name: only names that passed may lead there.
    if (const auto problem = mission.Check())
        return {{GameFinding::Kind::Problem, *problem}};
    if (const auto unusable = UnusableGameDirectoryMessage(gameDirectory, mission))
        return {{GameFinding::Kind::Problem, *unusable}};
    // Without it the folder is no game, and every file of the mission would be reported missing.
    if (!fileSystem.GetStatus(gameDirectory + "Korvex.exe"))
        return {{GameFinding::Kind::Problem,
                 "Could not find Korvex.exe in the directory " + gameDirectory + "."}};
    std::vector<GameFinding> findings = CheckAgainstGame(fileSystem, gameDirectory, mission);
    std::stable_partition(findings.begin(), findings.end(),
                          [](const GameFinding& finding)
                          { return finding.kind == GameFinding::Kind::Problem; });
    return findings;
}
