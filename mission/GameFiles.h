#pragma once

#include "MissionDefinition.h"

#include <string>

// Where the game keeps the files that an installation edits, and what the backup folder keeps beside their
// copies. Paths are relative to the game directory, with backslashes; each file's path is spelt here alone.
enum class GameFile
{
    MissionList,
    MissionNames,
    IntelNames,
    TutorialGroupings,
    StringTable,
    Briefing,
    Intel,
    MaterialFile,
};

struct GameFileEntry
{
    std::string path;
    // Its copy's name in the backup folder.
    std::string backupName;
    // How files.txt names it, before its folder.
    std::string listedAs;
    // Named by the mission rather than by the game: the briefing and intel files.
    bool missionsOwn = false;
};

// The order of the backup.
inline constexpr GameFile kGameFiles[] = {
    GameFile::MissionList, GameFile::MissionNames, GameFile::IntelNames, GameFile::TutorialGroupings,
    GameFile::StringTable, GameFile::Briefing,     GameFile::Intel,      GameFile::MaterialFile,
};

GameFileEntry GameFileOf(GameFile file, const CMissionDefinition& mission);
// The folder part of a path, with its backslash.
std::string FolderOf(const std::string& path);

// The folders of the files that only the game reads: the mission's .mis and splash files, and its kits.
inline constexpr char kMissionFolder[] = "data\\mission\\";
inline constexpr char kKitsFolder[] = "data\\kits\\";

inline constexpr char kBackupFolder[] = "data\\Backup\\";
// A run stages its copies in whichever of the two the backup journal does not point into.
inline constexpr const char* kStagingFolders[] = {"Incoming", "Staging"};
// Where the installations' records are kept.
inline constexpr char kRecordsFolderName[] = "Installed";
// Where an uninstall keeps its snapshot, and its journal.
inline constexpr char kUninstallFolderName[] = "Uninstall";
inline constexpr char kUninstallJournalName[] = "uninstall.txt";
// The other names the backup folder keeps for its own use: the temporary files' folder, the list of copies,
// the journal, the lock, the records and the uninstall's.
inline constexpr const char* kBackupFolderOwnNames[] = {"Temp",
                                                        "files.txt",
                                                        "journal.txt",
                                                        "kxvuz.lock",
                                                        kRecordsFolderName,
                                                        kUninstallFolderName,
                                                        kUninstallJournalName};
