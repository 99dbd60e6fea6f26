#include "EntryAppend.h"
#include "LineBounds.h"

#include <limits>

bool CountCanGrow(int count, std::size_t added)
{
    return count >= 0 && added <= static_cast<std::size_t>(std::numeric_limits<int>::max() - count);
}

void AppendLinesAfterEntry(CTextFile& file, std::int64_t entryStart, const std::vector<std::string>& lines)
{
    // The entry's line end stays behind the new lines.
    std::string text;
    for (const std::string& line : lines)
        text += "\r\n" + line;
    file.Splice(LineBreakOf(file, entryStart), 0, text);
}
