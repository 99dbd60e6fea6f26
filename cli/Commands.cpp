#include "Commands.h"

#include "Characters.h"

#include "AlreadyInstalled.h"
#include "BackupSetRestore.h"
#include "CodePage.h"
#include "CodePageOutput.h"
#include "CommandLine.h"
#include "ConsoleOutput.h"
#include "FileReplace.h"
#include "FileSystem.h"
#include "GameChecks.h"
#include "GameDrift.h"
#include "GameLock.h"
#include "InstallationRun.h"
#include "MissionFile.h"
#include "MissionJson.h"
#include "Preview.h"
#include "RecordedInstallation.h"
#include "ShowMission.h"
#include "TerminalFrontEnd.h"
#include "UnifiedDiff.h"
#include "Uninstall.h"
#include "UninstallSnapshot.h"
#include "UsableGameDirectory.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace
{

// Ends the command with exit status 2; the message is one line.
class CCommandError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct CContext
{
    IFileSystem& fileSystem;
    // Take text in the code page.
    std::ostream& out;
    std::ostream& err;
    // Takes the system's text: what kxvuz show writes is UTF-8 already.
    std::ostream& systemOut;
    bool errIsTerminal;
};

enum class MissionFormat
{
    Kxm,
    Json,
};

// What a message says of a mission file: its name as the command line gave it, spelt in the code page.
std::string About(const std::string& path, const std::string& what)
{
    return CodePagePath(path) + ": " + what;
}

MissionFormat FormatOf(const std::string& path)
{
    const std::size_t dot = path.find_last_of("./\\");
    const std::string extension =
        LowerCase(dot != std::string::npos && path[dot] == '.' ? path.substr(dot) : "");
    if (extension == ".kxm")
        return MissionFormat::Kxm;
    if (extension == ".json")
        return MissionFormat::Json;
    throw CCommandError(About(path, "The name of a mission file must end in .kxm or .json."));
}

void Check(const MissionFileResult& result, const std::string& path)
{
    if (!result.Ok())
        throw CCommandError(About(path, result.detail));
}

// Runs work, naming path in what the JSON form reports.
template <typename Work> auto ForFile(const std::string& path, Work work)
{
    try
    {
        return work();
    }
    catch (const CMissionJsonError& error)
    {
        throw CCommandError(About(path, error.what()));
    }
}

std::string ReadAll(IFileSystem& fileSystem, const std::string& path)
{
    const std::unique_ptr<IFile> file = fileSystem.OpenUtf8(path, OpenMode::Read);
    if (!file)
        throw CCommandError(About(path, "The file cannot be opened."));
    std::optional<std::string> bytes = ReadRest(*file);
    if (!bytes)
        throw CCommandError(About(path, "The file cannot be read."));
    file->Close();
    return std::move(*bytes);
}

void WriteAll(IFileSystem& fileSystem, const std::string& path, const std::string& bytes)
{
    const std::unique_ptr<IFile> file = fileSystem.OpenUtf8(path, OpenMode::Write);
    if (!file)
        throw CCommandError(About(path, "The file cannot be created."));
    if (file->Write(bytes.data(), bytes.size()) != bytes.size() || !file->Close())
        throw CCommandError(About(path, "The file could not be written completely."));
}

CMissionDefinition ReadMission(IFileSystem& fileSystem, const std::string& path)
{
    if (FormatOf(path) == MissionFormat::Json)
        return ForFile(path, [&] { return MissionFromJson(ReadAll(fileSystem, path)); });
    CMissionDefinition mission;
    Check(LoadMissionFile(fileSystem, path, mission), path);
    return mission;
}

using Values = std::map<std::string, std::string>;

constexpr const char* kMissionHelp = "Mission file, .kxm or .json";
constexpr CommandArgument kMission{"MISSION", nullptr, kMissionHelp};
constexpr CommandArgument kGame{"--game", "DIR", "The game directory, which holds Korvex.exe"};
constexpr CommandArgument kDryRun{
    "--dry-run", nullptr,
    "Print the diff of every game file it would change and its outcome, writing "
    "nothing; the exit status is the one it would have",
    true};

int RunShow(CContext& context, const Values& values)
{
    const CMissionDefinition mission = ReadMission(context.fileSystem, values.at("MISSION"));
    const CUtf8Output utf8(context.systemOut);
    ShowMission(mission, context.systemOut);
    return 0;
}

int RunValidate(CContext& context, const Values& values)
{
    const CMissionDefinition mission = ReadMission(context.fileSystem, values.at("MISSION"));
    const auto message = mission.Check();
    context.out << message.value_or("OK") << "\n";
    if (message == kFillInAllInformation)
        context.out << "The " << mission.FirstEmptyField().value_or("") << " is empty.\n";
    return message ? 1 : 0;
}

int RunConvert(CContext& context, const Values& values)
{
    const std::string& in = values.at("IN");
    const std::string& out = values.at("OUT");
    const MissionFormat outFormat = FormatOf(out);
    const CMissionDefinition mission = ReadMission(context.fileSystem, in);
    if (outFormat == MissionFormat::Kxm)
        Check(SaveMissionFile(context.fileSystem, out, mission), out);
    else
        WriteAll(context.fileSystem, out, ForFile(in, [&] { return MissionToJson(mission); }));
    return 0;
}

// The game directory as the run composes paths from it: in the code page, as the game's files are named,
// and ending in a separator.
std::string GameDirectory(const std::string& utf8Directory)
{
    std::string directory = CodePagePath(utf8Directory);
#ifdef _WIN32
    // No double-byte character has the byte of a slash in it, but one may have a backslash's.
    const bool endsInSeparator =
        EndsInBackslash(directory) || (!directory.empty() && directory.back() == '/');
    const char separator = '\\';
#else
    const bool endsInSeparator = !directory.empty() && directory.back() == '/';
    const char separator = '/';
#endif
    if (!endsInSeparator)
        directory += separator;
    return directory;
}

int ExitStatus(RunOutcome outcome)
{
    switch (outcome)
    {
    case RunOutcome::Completed:
        return 0;
    case RunOutcome::FailedAndRestored:
    case RunOutcome::Cancelled:
    case RunOutcome::RestoreIncomplete:
    case RunOutcome::Refused:
        return 1;
    case RunOutcome::StoppedBeforeChange:
        break;
    }
    return 3;
}

constexpr char kAgainAdvice[] = "kxvuz install --again installs it again.";

// A preview on stdout in UTF-8: the diffs and what else would be written, then the outcome, in the code page.
void ShowPreview(CContext& context, const Preview& preview, const std::string& outcome)
{
    context.out.flush();
    const CUtf8Output utf8(context.systemOut);
    context.systemOut << PreviewText(preview) << Utf8FromWindows1252(outcome) << "\n";
}

// What a damaged or missing game makes of any command that reads its records.
InstallationHistory ReadHistoryOrThrow(IFileSystem& fileSystem, const std::string& game)
{
    if (!fileSystem.GetStatus(game + "Korvex.exe"))
        throw CCommandError("Could not find Korvex.exe in the directory " + game + ".");
    InstallationHistory history = ReadInstallationHistory(fileSystem, game);
    if (history.damaged)
        throw CCommandError(DamagedRecordsMessage(*history.damaged) + " Nothing was changed.");
    return history;
}

int RunCheck(CContext& context, const Values& values)
{
    const CMissionDefinition mission = ReadMission(context.fileSystem, values.at("MISSION"));
    const std::vector<GameFinding> findings = CheckInstallationAndHistory(
        context.fileSystem, GameDirectory(values.at("--game")), mission, kAgainAdvice);
    for (const GameFinding& finding : findings)
        context.out << FindingText(finding) << "\n";
    if (findings.empty())
        context.out << "OK\n";
    return FirstProblem(findings) ? 1 : 0;
}

int RunInstall(CContext& context, const Values& values)
{
    const std::string& path = values.at("MISSION");
    const CMissionDefinition mission = ReadMission(context.fileSystem, path);
    const std::string game = GameDirectory(values.at("--game"));
    // The dialog program installs only a mission that passed its checks; nor does this, and a refused
    // mission writes nothing, not even the log.
    if (const auto problem = mission.Check())
    {
        context.err << "kxvuz: " << About(path, *problem) << "\n";
        return 1;
    }
    if (const auto unusable = UnusableGameDirectoryMessage(game, mission))
    {
        context.err << "kxvuz: " << *unusable << "\n";
        return 1;
    }
    // Without Korvex.exe the directory is no game to check against; the run says so.
    if (context.fileSystem.GetStatus(game + "Korvex.exe"))
    {
        const std::vector<GameFinding> findings = CheckAgainstGame(context.fileSystem, game, mission);
        if (const auto problem = FirstProblem(findings))
        {
            context.err << "kxvuz: " << About(path, *problem) << "\n";
            return 1;
        }
        const InstallationHistory history = ReadHistoryOrThrow(context.fileSystem, game);
        const auto installed = AlreadyInstalled(context.fileSystem, game, mission, history);
        if (installed && !values.count("--again"))
        {
            context.err << "kxvuz: " << *installed << "; " << kAgainAdvice << "\n";
            return 1;
        }
        for (const GameFinding& finding : findings)
            context.err << "kxvuz: warning: " << finding.message << "\n";
    }
    if (values.count("--dry-run"))
    {
        const InstallationPreview preview = PreviewInstallation(context.fileSystem, game, mission);
        ShowPreview(context, preview.preview, OutcomeLine(preview, mission.missionName));
        if (values.count("--log"))
        {
            const CUtf8Output utf8(context.systemOut);
            std::string log = Utf8FromWindows1252(preview.preview.log);
            std::erase(log, '\r');
            context.systemOut << "\nkxinstall.log as the run would write it:\n" << log << "\n";
        }
        return ExitStatus(preview.outcome);
    }
    if (values.count("--log"))
        throw CCommandLineError("--log shows the log of a --dry-run");
    CTerminalFrontEnd frontEnd(context.out, context.err, context.errIsTerminal);
    CRecordedInstallation run(context.fileSystem, frontEnd, game, mission);
    return ExitStatus(run.RunInstallation());
}

// A restore that could not try every file ends the command with its reason.
void CheckTried(const BackupSetRestore& restore, const std::string& directory, bool uninstall)
{
    if (restore.status == BackupSetRestore::Status::Busy)
        throw CCommandError(GameBusyMessage(directory));
    if (restore.status == BackupSetRestore::Status::NoBackupSet && uninstall)
        throw CCommandError("The uninstall journal " + UninstallJournalPath(directory) +
                            " cannot be read: nothing was restored.");
    if (restore.status == BackupSetRestore::Status::NoBackupSet)
        throw CCommandError("No complete backup set in " + directory + "data\\Backup: nothing was restored.");
    if (restore.status == BackupSetRestore::Status::Unlockable)
        throw CCommandError(GameLockFailureMessage(directory, restore.reason));
    if (restore.status == BackupSetRestore::Status::Unmarked)
        throw CCommandError("The backup journal " + BackupJournalPath(directory) +
                            " could not be written, so nothing was restored: " + restore.reason);
}

int RunRestore(CContext& context, const Values& values)
{
    const std::string directory = GameDirectory(values.at("--game"));
    const bool uninstall = UninstallInterrupted(context.fileSystem, directory);
    if (values.count("--dry-run"))
    {
        const RestorePreview preview = PreviewRestore(context.fileSystem, directory);
        CheckTried(preview.restore, directory, uninstall);
        ShowPreview(context, preview.preview,
                    "Would restore " + Files(preview.preview.gameFiles.size()) + ".");
        return preview.restore.Complete() ? 0 : 2;
    }
    const BackupSetRestore restore =
        RestoreBackupSetAndRecords(context.fileSystem, directory, TakeCancelRequest);
    CheckTried(restore, directory, uninstall);
    context.out << RestoredFilesReport(restore.files);
    if (restore.status == BackupSetRestore::Status::Stopped)
        throw CCommandError("The restore was stopped; run kxvuz restore again to finish it.");
    if (!restore.Complete())
        throw CCommandError("Some game files could not be restored; run kxvuz restore again.");
    context.out << RestoredGameMessage(uninstall) << "\n";
    return 0;
}

int RunList(CContext& context, const Values& values)
{
    const std::string game = GameDirectory(values.at("--game"));
    const InstallationHistory history = ReadHistoryOrThrow(context.fileSystem, game);
    const std::vector<GameDrift> drift = DriftSinceLastInstallation(context.fileSystem, game, history);
    if (values.count("--json"))
    {
        // The JSON library takes UTF-8; the game's names are in the code page.
        auto text = [](const std::string& codePage) { return Utf8FromWindows1252(codePage); };
        nlohmann::ordered_json installations = nlohmann::ordered_json::array();
        for (std::size_t i = 0; i < history.records.size(); ++i)
        {
            const InstallationRecord& record = history.records[i];
            nlohmann::ordered_json files = nlohmann::ordered_json::array();
            for (const InstallationRecord::File& file : record.files)
                files.push_back(text(file.gamePath));
            installations.push_back({{"number", i + 1},
                                     {"mission", text(record.missionName)},
                                     {"missionFile", text(record.missionFile)},
                                     {"installed", record.installed},
                                     {"files", files}});
        }
        nlohmann::ordered_json changedFiles = nlohmann::ordered_json::array();
        for (const GameDrift& file : drift)
            changedFiles.push_back(text(file.gamePath));
        const nlohmann::ordered_json list = {
            {"game", text(game)}, {"installations", installations}, {"changed", changedFiles}};
        const CUtf8Output utf8(context.systemOut);
        context.systemOut << list.dump(2) << "\n";
        return 0;
    }
    if (history.records.empty())
        context.out << NoInstallationsMessage(game) << "\n";
    for (std::size_t i = 0; i < history.records.size(); ++i)
    {
        const InstallationRecord& record = history.records[i];
        context.out << i + 1 << "  " << record.missionName << "  " << ShownTime(record) << "  "
                    << record.missionFile << "\n";
    }
    for (const GameDrift& file : drift)
    {
        context.out << "changed since the last installation: " << file.gamePath << "\n";
        if (!values.count("--diff"))
            continue;
        context.out.flush();
        const CUtf8Output utf8(context.systemOut);
        context.systemOut << UnifiedDiff(file.gamePath, file.left, file.now);
    }
    return 0;
}

int RunUninstall(CContext& context, const Values& values)
{
    const std::string game = GameDirectory(values.at("--game"));
    const bool byName = values.count("--name") > 0;
    if (values.count("--dry-run"))
    {
        const UninstallPreview preview =
            PreviewUninstall(context.fileSystem, game, values.at("WHICH"), byName);
        const Uninstallation& result = preview.uninstall;
        if (result.outcome == UninstallOutcome::Removed)
        {
            ShowPreview(context, preview.preview, OutcomeLine(preview));
            return 0;
        }
        for (const std::string& message : result.messages)
            context.err << "kxvuz: " << message << "\n";
        return 1;
    }
    CTerminalFrontEnd frontEnd(context.out, context.err, context.errIsTerminal);
    const Uninstallation result = Uninstall(context.fileSystem, frontEnd, game, values.at("WHICH"), byName);
    if (result.outcome == UninstallOutcome::Removed)
    {
        context.out << "Removed " << result.missionName << ".\n";
        return 0;
    }
    for (const std::string& message : result.messages)
        context.err << "kxvuz: " << message << "\n";
    return 1;
}

struct CommandEntry
{
    const char* name;
    const char* description;
    std::vector<CommandArgument> arguments;
    int (*run)(CContext& context, const Values& values);
    // Ctrl-C cancels it: it stops where the game files are whole.
    bool cancellable = false;
};

const CommandEntry kCommands[] = {
    {"show", "Print every field of a mission.", {kMission}, RunShow},
    {"validate",
     "Check that a mission is complete and its file names legal; exit status 1 if not.",
     {kMission},
     RunValidate},
    {"convert",
     "Convert a mission between .kxm and .json.",
     {{"IN", nullptr, kMissionHelp},
      {"OUT", nullptr, "File to write; its name says the format, .kxm or .json"}},
     RunConvert},
    {"check",
     "Check a mission against the game it is to be installed into: print each problem and warning, or OK; "
     "exit status 1 if there is a problem.",
     {kGame, kMission},
     RunCheck},
    {"install",
     "Install a mission into a game directory, logging to kxinstall.log here; exit status 0 done, 1 a "
     "mission that fails validation or has a problem with the game, or failed and restored (or to finish "
     "with kxvuz restore) or cancelled, 3 stopped before any game file changed.",
     {kGame,
      kMission,
      {"--again", nullptr, "Install a mission that the game holds already", true},
      kDryRun,
      {"--log", nullptr, "With --dry-run, print the install log the run would write", true}},
     RunInstall,
     true},
    {"list",
     "List the installations recorded in a game, oldest first, and the game files changed since the last "
     "installation that wrote them; exit status 2 if the records cannot be read.",
     {kGame,
      {"--json", nullptr, "Print one JSON object for scripts", true},
      {"--diff", nullptr,
       "Under each changed file, its unified diff from what the last installation left there", true}},
     RunList},
    {"uninstall",
     "Remove one recorded installation: the later ones are taken back and installed again, all as one "
     "step that is put back whole on any failure; exit status 1 if it was refused or failed.",
     {kGame,
      {"WHICH", nullptr, "The installation's number, as kxvuz list shows it, or its mission's name"},
      {"--name", nullptr, "Take WHICH as a mission's name, also when it is all digits", true},
      kDryRun},
     RunUninstall,
     true},
    {"restore",
     "Put the game files back from the backup of the last installation: after an interrupted one, or to "
     "undo a completed one; after an interrupted uninstall, put the game and its records back as they were "
     "before it; exit status 2 if there is no complete backup, or the restore did not finish "
     "(Ctrl-C stops it after the file it "
     "is writing).",
     {kGame, kDryRun},
     RunRestore,
     true},
};

std::string Help()
{
    std::vector<std::pair<std::string, std::string>> commands;
    for (const CommandEntry& entry : kCommands)
        commands.emplace_back(entry.name, entry.description);
    return "Install Korvex missions, and show, check and convert mission files.\n\n"
           "Usage: kxvuz COMMAND ARGUMENTS...\n\nCommands:\n" +
           Columns(commands) + "\nOptions:\n" +
           Columns({{"-h, --help", "Print this help, or a command's after its name"},
                    {"--version", "Print the version"}});
}

} // namespace

int RunKxvuz(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool errIsTerminal,
             void (*beforeCancellable)())
{
    return RunKxvuz(NativeFileSystem(), argc, argv, out, err, errIsTerminal, beforeCancellable);
}

int RunKxvuz(IFileSystem& fileSystem, int argc, const char* const* argv, std::ostream& systemOut,
             std::ostream& systemErr, bool errIsTerminal, void (*beforeCancellable)())
{
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i)
    {
        // The game's paths and texts are in the code page, and the words name its folder and what goes into
        // it.
        const std::optional<std::string> word = CodePageFromSystemText(argv[i]);
        if (!word)
        {
            // As the system gave it: the code page cannot show it.
            systemErr << "kxvuz: " << argv[i]
                      << ": Windows-1252, the code page of the game's names, cannot spell this argument.\n";
            return 2;
        }
        words.push_back(*word);
    }
    CCodePageOutput out(systemOut);
    CCodePageOutput err(systemErr);
    if (words.empty())
    {
        err << "kxvuz: A command is required (see kxvuz --help)\n";
        return 2;
    }
    if (words[0] == "--help" || words[0] == "-h")
    {
        out << Help();
        return 0;
    }
    if (words[0] == "--version")
    {
        out << "kxvuz " KX_VERSION "\n";
        return 0;
    }
    const auto entry = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const CommandEntry& command) { return words[0] == command.name; });
    if (entry == std::end(kCommands))
    {
        err << "kxvuz: Unknown command or option " << words[0] << " (see kxvuz --help)\n";
        return 2;
    }
    const std::vector<std::string> rest(words.begin() + 1, words.end());
    if (AsksForHelp(entry->arguments, rest))
    {
        out << CommandHelp(entry->name, entry->description, entry->arguments);
        return 0;
    }
    CContext context{fileSystem, out, err, systemOut, errIsTerminal};
    try
    {
        const Values values = ParseArguments(entry->arguments, rest);
        // A preview writes nothing: Ctrl-C just ends it.
        if (entry->cancellable && beforeCancellable && !values.count("--dry-run"))
            beforeCancellable();
        return entry->run(context, values);
    }
    catch (const CCommandLineError& error)
    {
        err << "kxvuz: " << error.what() << " (see kxvuz " << entry->name << " --help)\n";
    }
    catch (const CCommandError& error)
    {
        err << "kxvuz: " << error.what() << "\n";
    }
    return 2;
}
