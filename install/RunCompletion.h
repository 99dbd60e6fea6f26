#pragma once

#include "FileSystem.h"

#include <optional>
#include <string>
#include <vector>

// A game file of a completed run, and where the run's backup set keeps its bytes from before the run.
struct CompletedFile
{
    // Relative to the game directory.
    std::string gamePath;
    std::string path;
    std::string copyPath;
};

// The run's last act before it reports success, for whatever a layer above wants to keep of it: the log
// ends "Installation complete" and the journal does not yet say installed.
class IRunCompletion
{
public:
    virtual ~IRunCompletion() = default;
    // Asked once the run holds the game's lock, before it writes anything: why the run must not start.
    virtual std::optional<std::string> Refusal(IFileSystem&) { return std::nullopt; }
    // A message when it failed, which the run then takes down its failure path.
    virtual std::optional<std::string> Complete(IFileSystem& fileSystem,
                                                const std::vector<CompletedFile>& files,
                                                const std::string& logPath) = 0;
    // The run failed or was cancelled after Complete succeeded; false when what Complete kept could not be
    // taken back, and then the journal keeps claiming the game for a restore that finishes the job.
    virtual bool Withdraw(IFileSystem& fileSystem) = 0;
};
