#include "EntryAppend.h"

#include <limits>

bool CountCanGrow(int count, std::size_t added)
{
    return count >= 0 && added <= static_cast<std::size_t>(std::numeric_limits<int>::max() - count);
}

void AppendLinesAfterEntry(CTextFile& file, std::int64_t entryStart, const std::vector<std::string>& lines)
{
    std::string entry;
    file.SetPos(entryStart);
    file.ReadLine(entry);
    // The "\n" that ends what ReadLine gives stands for the line end on disk, which stays behind the new
    // lines.
    const std::size_t textLength = entry.ends_with('\n') ? entry.size() - 1 : entry.size();
    std::string text;
    for (const std::string& line : lines)
        text += "\r\n" + line;
    file.Splice(entryStart + static_cast<std::int64_t>(textLength), 0, text);
}
