#include "GameDrift.h"

#include "FileReplace.h"
#include "UnifiedDiff.h"

#include <algorithm>
#include <map>

std::vector<GameDrift> DriftSinceLastInstallation(IFileSystem& fileSystem, const std::string& gameDirectory,
                                                  const InstallationHistory& history)
{
    std::vector<std::string> order;
    std::map<std::string, const std::string*> lastLeft;
    for (const InstallationRecord& record : history.records)
        for (const InstallationRecord::File& file : record.files)
        {
            if (!lastLeft.count(file.gamePath))
                order.push_back(file.gamePath);
            lastLeft[file.gamePath] = &file.after;
        }
    std::vector<GameDrift> drift;
    for (const std::string& path : order)
    {
        std::optional<std::string> now = ReadFileBytes(fileSystem, gameDirectory + path);
        if (now != *lastLeft[path])
            drift.push_back({path, *lastLeft[path], std::move(now)});
    }
    return drift;
}

std::vector<std::string> ChangedSinceLastInstallation(IFileSystem& fileSystem,
                                                      const std::string& gameDirectory,
                                                      const InstallationHistory& history)
{
    std::vector<std::string> changed;
    for (const GameDrift& file : DriftSinceLastInstallation(fileSystem, gameDirectory, history))
        changed.push_back(file.gamePath);
    return changed;
}

std::string DriftDiff(const std::vector<GameDrift>& drift)
{
    std::string text;
    for (const GameDrift& file : drift)
        text += UnifiedDiff(file.gamePath, file.left, file.now);
    return text;
}
