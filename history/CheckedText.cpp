#include "CheckedText.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <cstdio>

std::string Hash(std::string_view bytes)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx",
                  static_cast<unsigned long long>(XXH64(bytes.data(), bytes.size(), 0)));
    return text;
}

std::optional<std::vector<std::string>> CheckedLines(std::string_view bytes)
{
    const std::size_t last = bytes.rfind("end ", bytes.size() >= 4 ? bytes.size() - 4 : 0);
    if (last == std::string_view::npos || (last != 0 && bytes[last - 1] != '\n') ||
        bytes.substr(last) != "end " + Hash(bytes.substr(0, last)) + "\r\n")
        return std::nullopt;
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < last;)
    {
        const std::size_t end = bytes.find("\r\n", at);
        if (end == std::string_view::npos || end >= last)
            return std::nullopt;
        lines.emplace_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

std::vector<std::string> Split(const std::string& line, char separator, std::size_t parts)
{
    std::vector<std::string> fields;
    std::size_t at = 0;
    while (fields.size() + 1 < parts)
    {
        const std::size_t end = line.find(separator, at);
        if (end == std::string::npos)
            return {};
        fields.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    fields.push_back(line.substr(at));
    return fields;
}
