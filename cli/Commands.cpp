#include "Commands.h"

#include "BackupSetRestore.h"
#include "CodePage.h"
#include "FileReplace.h"
#include "FileSystem.h"
#include "GameChecks.h"
#include "GameLock.h"
#include "InstallationRun.h"
#include "MissionFile.h"
#include "MissionJson.h"
#include "ShowMission.h"
#include "TerminalFrontEnd.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <functional>
#include <memory>
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
    std::ostream& out;
    std::ostream& err;
    bool errIsTerminal;
};

enum class MissionFormat
{
    Kxm,
    Json,
};

MissionFormat FormatOf(const std::string& path)
{
    const std::size_t dot = path.find_last_of("./\\");
    std::string extension = dot != std::string::npos && path[dot] == '.' ? path.substr(dot) : "";
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".kxm")
        return MissionFormat::Kxm;
    if (extension == ".json")
        return MissionFormat::Json;
    throw CCommandError(path + ": The name of a mission file must end in .kxm or .json.");
}

void Check(const MissionFileResult& result, const std::string& path)
{
    if (!result.Ok())
        throw CCommandError(path + ": " + result.detail);
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
        throw CCommandError(path + ": " + error.what());
    }
}

std::string ReadAll(IFileSystem& fileSystem, const std::string& path)
{
    const std::unique_ptr<IFile> file = fileSystem.Open(path, OpenMode::Read);
    if (!file)
        throw CCommandError(path + ": The file cannot be opened.");
    std::optional<std::string> bytes = ReadRest(*file);
    if (!bytes)
        throw CCommandError(path + ": The file cannot be read.");
    file->Close();
    return std::move(*bytes);
}

void WriteAll(IFileSystem& fileSystem, const std::string& path, const std::string& bytes)
{
    const std::unique_ptr<IFile> file = fileSystem.Open(path, OpenMode::Write);
    if (!file)
        throw CCommandError(path + ": The file cannot be created.");
    if (file->Write(bytes.data(), bytes.size()) != bytes.size() || !file->Close())
        throw CCommandError(path + ": The file could not be written completely.");
}

CMissionDefinition ReadMission(IFileSystem& fileSystem, const std::string& path)
{
    if (FormatOf(path) == MissionFormat::Json)
        return ForFile(path, [&] { return MissionFromJson(ReadAll(fileSystem, path)); });
    CMissionDefinition mission;
    Check(LoadMissionFile(fileSystem, path, mission), path);
    return mission;
}

using CommandRun = std::function<int(CContext&)>;

constexpr const char* kMissionHelp = "Mission file, .kxm or .json";

void AddPathArgument(CLI::App& command, const char* name, std::string& path, const char* description)
{
    command.add_option(name, path, description)->required();
}

CommandRun DefineShow(CLI::App& command)
{
    auto path = std::make_shared<std::string>();
    AddPathArgument(command, "MISSION", *path, kMissionHelp);
    return [path](CContext& context)
    {
        ShowMission(ReadMission(context.fileSystem, *path), context.out);
        return 0;
    };
}

CommandRun DefineValidate(CLI::App& command)
{
    auto path = std::make_shared<std::string>();
    AddPathArgument(command, "MISSION", *path, kMissionHelp);
    return [path](CContext& context)
    {
        const CMissionDefinition mission = ReadMission(context.fileSystem, *path);
        const auto message = mission.Check();
        context.out << message.value_or("OK") << "\n";
        if (message == kFillInAllInformation)
            context.out << "The " << mission.FirstEmptyField().value_or("") << " is empty.\n";
        return message ? 1 : 0;
    };
}

CommandRun DefineConvert(CLI::App& command)
{
    auto paths = std::make_shared<std::pair<std::string, std::string>>();
    AddPathArgument(command, "IN", paths->first, kMissionHelp);
    AddPathArgument(command, "OUT", paths->second, "File to write; its name says the format, .kxm or .json");
    return [paths](CContext& context)
    {
        const auto& [in, out] = *paths;
        const MissionFormat outFormat = FormatOf(out);
        const CMissionDefinition mission = ReadMission(context.fileSystem, in);
        if (outFormat == MissionFormat::Kxm)
            Check(SaveMissionFile(context.fileSystem, out, mission), out);
        else
            WriteAll(context.fileSystem, out, ForFile(in, [&] { return MissionToJson(mission); }));
        return 0;
    };
}

// The game directory as the run composes paths from it: ending in a separator.
std::string GameDirectory(std::string directory)
{
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

void AddGameOption(CLI::App& command, std::string& directory)
{
    command.add_option("--game", directory, "The game directory, which holds Korvex.exe")->required();
}

CommandRun DefineCheck(CLI::App& command)
{
    auto paths = std::make_shared<std::pair<std::string, std::string>>();
    AddGameOption(command, paths->first);
    AddPathArgument(command, "MISSION", paths->second, kMissionHelp);
    return [paths](CContext& context)
    {
        const CMissionDefinition mission = ReadMission(context.fileSystem, paths->second);
        // The game checks open the mission's files by name: only names that passed may lead there.
        if (const auto problem = mission.Check())
        {
            context.out << "problem: " << *problem << "\n";
            return 1;
        }
        const std::vector<GameFinding> findings =
            CheckAgainstGame(context.fileSystem, GameDirectory(paths->first), mission);
        for (const GameFinding& finding : findings)
            context.out << (finding.kind == GameFinding::Kind::Problem ? "problem: " : "warning: ")
                        << finding.message << "\n";
        if (findings.empty())
            context.out << "OK\n";
        return FirstProblem(findings) ? 1 : 0;
    };
}

CommandRun DefineInstall(CLI::App& command)
{
    auto paths = std::make_shared<std::pair<std::string, std::string>>();
    AddGameOption(command, paths->first);
    AddPathArgument(command, "MISSION", paths->second, kMissionHelp);
    return [paths](CContext& context)
    {
        const CMissionDefinition mission = ReadMission(context.fileSystem, paths->second);
        const std::string game = GameDirectory(paths->first);
        // The dialog program installs only a mission that passed its checks; nor does this, and a refused
        // mission writes nothing, not even the log.
        if (const auto problem = mission.Check())
        {
            context.err << "kxvuz: " << paths->second << ": " << *problem << "\n";
            return 1;
        }
        // Without Korvex.exe the directory is no game to check against; the run says so.
        if (context.fileSystem.GetStatus(game + "Korvex.exe"))
        {
            const std::vector<GameFinding> findings = CheckAgainstGame(context.fileSystem, game, mission);
            if (const auto problem = FirstProblem(findings))
            {
                context.err << "kxvuz: " << paths->second << ": " << *problem << "\n";
                return 1;
            }
            for (const GameFinding& finding : findings)
                context.err << "kxvuz: warning: " << finding.message << "\n";
        }
        CTerminalFrontEnd frontEnd(context.out, context.err, context.errIsTerminal);
        CInstallationRun run(context.fileSystem, frontEnd, game, mission);
        return ExitStatus(run.RunInstallation());
    };
}

CommandRun DefineRestore(CLI::App& command)
{
    auto game = std::make_shared<std::string>();
    AddGameOption(command, *game);
    return [game](CContext& context)
    {
        const std::string directory = GameDirectory(*game);
        const BackupSetRestore restore = RestoreBackupSet(context.fileSystem, directory);
        if (restore.status == BackupSetRestore::Status::Busy)
            throw CCommandError(GameBusyMessage(directory));
        if (restore.status == BackupSetRestore::Status::NoBackupSet)
            throw CCommandError("No complete backup set in " + directory +
                                "data\\Backup: nothing was restored.");
        context.out << RestoredFilesReport(restore.files);
        if (!restore.Complete())
            throw CCommandError("Some game files could not be restored; run kxvuz restore again.");
        context.out << kGameFilesRestored << "\n";
        return 0;
    };
}

struct CommandEntry
{
    const char* name;
    const char* description;
    // Adds the command's arguments and gives back what runs it once the line is parsed.
    CommandRun (*define)(CLI::App& command);
};

constexpr CommandEntry kCommands[] = {
    {"show", "Print every field of a mission", DefineShow},
    {"validate", "Check that a mission is complete and its file names legal; exit status 1 if not",
     DefineValidate},
    {"convert", "Convert a mission between .kxm and .json", DefineConvert},
    {"check",
     "Check a mission against the game it is to be installed into: print each problem and warning, or OK; "
     "exit status 1 if there is a problem",
     DefineCheck},
    {"install",
     "Install a mission into a game directory, logging to kxinstall.log here; exit status 0 done, 1 a "
     "mission that fails validation or has a problem with the game, or failed and restored (or to finish "
     "with kxvuz restore) or cancelled, 3 stopped before any game file changed",
     DefineInstall},
    {"restore",
     "Put the game files back from the backup of the last installation: after an interrupted one, or to "
     "undo a completed one; exit status 2 if there is no complete backup",
     DefineRestore},
};

} // namespace

int RunKxvuz(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool errIsTerminal)
{
    return RunKxvuz(NativeFileSystem(), argc, argv, out, err, errIsTerminal);
}

int RunKxvuz(IFileSystem& fileSystem, int argc, const char* const* argv, std::ostream& out, std::ostream& err,
             bool errIsTerminal)
{
    CLI::App app("Install Korvex missions, and show, check and convert mission files.", "kxvuz");
    app.require_subcommand(1);
    std::vector<std::pair<CLI::App*, CommandRun>> commands;
    for (const CommandEntry& entry : kCommands)
    {
        CLI::App* command = app.add_subcommand(entry.name, entry.description);
        commands.emplace_back(command, entry.define(*command));
    }
    try
    {
        app.parse(argc, argv);
    }
    catch (const CLI::ParseError& error)
    {
        if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
            return app.exit(error, out, err);
        // CLI11 reports a mistyped command only as a missing one.
        const std::vector<std::string> unparsed = app.remaining();
        if (app.get_subcommands().empty() && !unparsed.empty())
            err << "kxvuz: Unknown command or option: " << unparsed.front() << " (see kxvuz --help)\n";
        else
            err << "kxvuz: " << error.what() << " (see kxvuz --help)\n";
        return 2;
    }
    CContext context{fileSystem, out, err, errIsTerminal};
    try
    {
        for (auto& [command, run] : commands)
            if (command->parsed())
                return run(context);
    }
    catch (const CCommandError& error)
    {
        err << "kxvuz: " << error.what() << "\n";
    }
    return 2;
}
