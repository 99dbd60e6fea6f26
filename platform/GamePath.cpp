#include "GamePath.h"

#include "NameCase.h"

#ifndef _WIN32
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace
{

namespace fs = std::filesystem;

// The entry of folder whose name matches name but for case; the first in name order for determinism.
std::string MatchIgnoringCase(const fs::path& folder, const std::string& name)
{
    std::vector<std::string> matches;
    std::error_code error;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error), end; !error && it != end;
         it.increment(error))
    {
        const std::string entry = it->path().filename().string();
        if (SameNameIgnoringCase(entry, name))
            matches.push_back(entry);
    }
    if (matches.empty())
        return name;
    return *std::min_element(matches.begin(), matches.end());
}

} // namespace

std::string NativePath(const std::string& path)
{
    std::string slashed = path;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');

    fs::path result;
    bool resolving = true;
    std::size_t start = 0;
    if (!slashed.empty() && slashed.front() == '/')
    {
        result = "/";
        start = 1;
    }
    while (start <= slashed.size())
    {
        std::size_t end = slashed.find('/', start);
        if (end == std::string::npos)
            end = slashed.size();
        std::string component = slashed.substr(start, end - start);
        start = end + 1;
        if (component.empty())
            continue;
        std::error_code error;
        if (resolving && component != "." && component != ".." && !fs::exists(result / component, error))
        {
            component = MatchIgnoringCase(result, component);
            resolving = fs::exists(result / component, error);
        }
        result /= component;
    }
    std::string native = result.string();
    // A trailing separator names a folder; keep it.
    if (!slashed.empty() && slashed.back() == '/' && (native.empty() || native.back() != '/'))
        native += '/';
    return native;
}

#else

std::string NativePath(const std::string& path)
{
    return path;
}

#endif
