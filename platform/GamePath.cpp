#include "GamePath.h"

#include "CodePage.h"
#include "NameCase.h"

#ifndef _WIN32
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace
{

namespace fs = std::filesystem;

// The entry of folder whose name matches name (in the code page) but for case, or name in UTF-8; the first in
// name order for determinism.
std::string MatchIgnoringCase(const fs::path& folder, const std::string& name)
{
    std::vector<std::string> matches;
    std::error_code error;
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error), end; !error && it != end;
         it.increment(error))
    {
        const std::string entry = it->path().filename().string();
        // An entry that is not UTF-8, or that 1252 cannot spell, is no program path's.
        const auto entryName = Windows1252FromUtf8(entry);
        if (entryName && SameNameIgnoringCase(*entryName, name))
            matches.push_back(entry);
    }
    if (matches.empty())
        return Utf8FromWindows1252(name);
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
        const std::string component = slashed.substr(start, end - start);
        start = end + 1;
        if (component.empty())
            continue;
        std::string name = Utf8FromWindows1252(component);
        std::error_code error;
        if (resolving && component != "." && component != ".." && !fs::exists(result / name, error))
        {
            name = MatchIgnoringCase(result, component);
            resolving = fs::exists(result / name, error);
        }
        result /= name;
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

bool StaysInsideFolder(const std::string& path)
{
    if (path.empty() || path.find(':') != std::string::npos || path.front() == '\\' || path.front() == '/')
        return false;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t end = path.find_first_of("\\/", start);
        const std::string part = path.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        if (end == std::string::npos)
            return true;
        start = end + 1;
    }
}
