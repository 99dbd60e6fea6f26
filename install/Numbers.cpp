#include "Numbers.h"

#include "Characters.h"

#include <algorithm>
#include <limits>
#include <string>

namespace
{

} // namespace

int LeadingInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    std::int64_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i)
        value = std::min<std::int64_t>(value * 10 + (text[i] - '0'),
                                       std::int64_t{std::numeric_limits<int>::max()} + 1);
    value = negative ? -value : std::min<std::int64_t>(value, std::numeric_limits<int>::max());
    return static_cast<int>(value);
}

int ReadCountAt(CTextFile& file, std::int64_t lineStart)
{
    std::string line;
    file.SetPos(lineStart);
    file.ReadLine(line);
    return LeadingInteger(line);
}

bool RewriteNumberAt(CTextFile& file, std::int64_t lineStart, int value)
{
    std::string line;
    file.SetPos(lineStart);
    file.ReadLine(line);
    // The number's place on the line: after blanks and tabs, its sign and digits.
    std::size_t start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
        ++start;
    std::size_t end = start;
    if (end < line.size() && (line[end] == '-' || line[end] == '+'))
        ++end;
    while (end < line.size() && IsDigit(line[end]))
        ++end;

    const std::string digits = std::to_string(value);
    const std::size_t width = end - start;
    std::string text = digits;
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    const std::int64_t at = lineStart + static_cast<std::int64_t>(start);
    if (!file.Splice(at, width, text))
        return false;
    return file.SetPos(at + static_cast<std::int64_t>(digits.size()));
}
