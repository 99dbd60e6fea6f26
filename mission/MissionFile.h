#pragma once

#include "MissionDefinition.h"

#include <string>
#include <string_view>

class IFileSystem;

enum class MissionFileStatus
{
    Ok,
    OpenFailed,
    ReadError,
    WriteError,
};

struct MissionFileResult
{
    MissionFileStatus status = MissionFileStatus::Ok;
    // What went wrong, for the read- and write-error reports; empty on success.
    std::string detail;

    bool Ok() const { return status == MissionFileStatus::Ok; }
};

// The mission file's bytes for a record.
std::string EncodeMission(const CMissionDefinition& mission);

// Reads a mission file's bytes into mission. Its lists are emptied first; on a read error the texts and
// flags read before the error keep their new values and every list stays empty.
MissionFileResult DecodeMission(std::string_view bytes, CMissionDefinition& mission);

// A mission file may be in any folder: path is a native path in UTF-8 (IFileSystem::OpenUtf8).
MissionFileResult SaveMissionFile(IFileSystem& fileSystem, const std::string& path,
                                  const CMissionDefinition& mission);
MissionFileResult LoadMissionFile(IFileSystem& fileSystem, const std::string& path,
                                  CMissionDefinition& mission);

// The name the Save dialog offers: the mission name without the characters no file name may hold.
std::string DefaultMissionFileName(const std::string& missionName);
