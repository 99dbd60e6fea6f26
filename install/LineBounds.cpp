#include "LineBounds.h"

#include "Characters.h"

#include <string>

namespace
{

bool StartsWith(const std::string& text, std::size_t at, const char* prefix)
{
    return text.compare(at, std::char_traits<char>::length(prefix), prefix) == 0;
}

// Leaves the file just after the "*/" that closes the comment; false when the file ends first.
bool SkipBlockComment(CTextFile& file, std::int64_t from)
{
    file.SetPos(from);
    for (;;)
    {
        const std::int64_t lineStart = file.GetPos();
        std::string line;
        if (!file.ReadLine(line))
            return false;
        // Only the line's end differs between memory and disk, so an index within it is a disk offset.
        const std::size_t close = line.find("*/");
        if (close != std::string::npos)
        {
            file.SetPos(lineStart + static_cast<std::int64_t>(close) + 2);
            return true;
        }
    }
}

// Where the entry starts, or, when the file ends first, where the "/*" stands whose comment it ends in.
struct EntrySearch
{
    std::optional<std::int64_t> entry;
    std::optional<std::int64_t> unclosedComment;
};

EntrySearch SearchEntry(CTextFile& file)
{
    for (;;)
    {
        const std::int64_t start = file.GetPos();
        std::string line;
        if (!file.ReadLine(line))
            return {};
        const std::size_t text = line.find_first_not_of(kBlanks);
        if (text == std::string::npos || StartsWith(line, text, "//"))
            continue;
        // An index within the line is a disk offset, as in SkipBlockComment.
        if (StartsWith(line, text, "/*"))
        {
            if (!SkipBlockComment(file, start))
                return {std::nullopt, start + static_cast<std::int64_t>(text)};
            continue;
        }
        const std::size_t open = line.find("/*");
        const std::size_t comment = line.find("//");
        if (open != std::string::npos && (comment == std::string::npos || comment > open) &&
            !SkipBlockComment(file, start))
            return {std::nullopt, start + static_cast<std::int64_t>(open)};
        return {start, std::nullopt};
    }
}

} // namespace

std::int64_t StartOfLineHolding(CTextFile& file, std::int64_t position)
{
    std::string line;
    if (position == 0 || (file.SetPos(position - 1) && file.ReadLine(line) && line == "\n"))
        return position;
    file.SetPos(0);
    std::int64_t start = 0;
    while (file.ReadLine(line) && file.GetPos() <= position)
        start = file.GetPos();
    return start;
}

std::int64_t LineBreakOf(CTextFile& file, std::int64_t lineStart)
{
    std::string line;
    file.SetPos(lineStart);
    file.ReadLine(line);
    // Only the line break differs between memory and disk.
    return lineStart + static_cast<std::int64_t>(line.ends_with('\n') ? line.size() - 1 : line.size());
}

std::optional<std::int64_t> NextEntry(CTextFile& file)
{
    return SearchEntry(file).entry;
}

std::optional<std::int64_t> UnclosedComment(CTextFile& file)
{
    for (;;)
        if (const EntrySearch search = SearchEntry(file); !search.entry)
            return search.unclosedComment;
}
