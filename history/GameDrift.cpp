#include "GameDrift.h"

#include "FileReplace.h"

#include <algorithm>
#include <map>

std::vector<std::string> ChangedSinceLastInstallation(IFileSystem& fileSystem,
                                                      const std::string& gameDirectory,
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
    std::vector<std::string> changed;
    for (const std::string& path : order)
        if (ReadFileBytes(fileSystem, gameDirectory + path) != *lastLeft[path])
            changed.push_back(path);
    return changed;
}
