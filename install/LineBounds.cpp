#include "LineBounds.h"

#include <string>

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
