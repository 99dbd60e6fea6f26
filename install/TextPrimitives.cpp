#include "InstallationRun.h"
#include "LineBounds.h"

#include <algorithm>
#include <optional>

// Lines are read whole, however long: a piece of a long line must never pass for an entry of its own.
std::int64_t CInstallationRun::SeekEntry(int n, CTextFile& file)
{
    std::int64_t start = file.GetPos();
    for (int counter = -1; counter < n; ++counter)
    {
        const std::optional<std::int64_t> entry = NextEntry(file);
        if (!entry)
            FailAndRestore("Unexpected end of file found.");
        start = *entry;
    }
    return start;
}

int CInstallationRun::CopyLinesThrough(CTextFile& input, CTextFile& output, std::int64_t start,
                                       std::int64_t bound, int first)
{
    const bool bounded = bound != -1;
    input.SetPos(start);
    if (!bounded || start < bound)
    {
        while (!input.AtEnd())
        {
            const std::int64_t lineStart = input.GetPos();
            std::string line;
            input.ReadLine(line);
            fileArray.push_back(line);
            if (bounded && lineStart >= bound)
                break;
        }
    }
    const int count = static_cast<int>(fileArray.size());
    const int end = bounded ? count - 1 : count;
    for (int i = std::max(first, 0); i < end; ++i)
        output.Write(fileArray[static_cast<std::size_t>(i)]);
    return std::max(end, first);
}

char CInstallationRun::ReadNextChar(int& column, int& line, int& length)
{
    const int count = static_cast<int>(fileArray.size());
    auto elementLength = [&](int index)
    { return index < count ? static_cast<int>(fileArray[static_cast<std::size_t>(index)].size()) : 0; };
    auto advance = [&]
    {
        if (++column >= length)
        {
            ++line;
            column = 0;
            length = elementLength(line);
        }
    };
    if (line < 0 || line >= count || column < 0 || column >= std::min(length, elementLength(line)))
        FailAndRestore("Error reading from file " + gameDirectory + "data\\texture\\sherman.cxp");

    const std::string& element = fileArray[static_cast<std::size_t>(line)];
    const char c = element[static_cast<std::size_t>(column)];
    const char next =
        column + 1 < static_cast<int>(element.size()) ? element[static_cast<std::size_t>(column) + 1] : '\0';
    if (c == '/' && next == '/')
    {
        ++line;
        column = 0;
        length = elementLength(line);
        return '/';
    }
    if (c == '/' && next == '*')
    {
        advance();
        for (;;)
        {
            if (line >= count)
                FailAndRestore(
                    "While processing the file data\\texture\\Sherman.cxp, the token 'End' was found inside "
                    "/* style comments. This is a bug. To fix this error, remove the token 'End' from any "
                    "comments in Sherman.cxp.");
            const std::string& searched = fileArray[static_cast<std::size_t>(line)];
            const std::size_t close = searched.find("*/", static_cast<std::size_t>(column));
            if (close != std::string::npos)
            {
                // On the closing "/", which the next call returns as an ordinary character.
                column = static_cast<int>(close) + 1;
                length = static_cast<int>(searched.size());
                return '/';
            }
            ++line;
            column = 0;
        }
    }
    advance();
    return c;
}

CString CInstallationRun::IntToText(int value)
{
    return std::to_string(value);
}
