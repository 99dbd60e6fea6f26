#include "Preview.h"

#include "CodePage.h"
#include "UnifiedDiff.h"

std::string PreviewText(const Preview& preview)
{
    std::string text;
    std::string lineEndsOnly;
    for (const PreviewedFile& file : preview.gameFiles)
    {
        const std::string diff = UnifiedDiff(file.gamePath, file.before, file.after);
        text += diff;
        if (diff.empty())
            lineEndsOnly += (lineEndsOnly.empty() ? "" : ", ") + Utf8FromWindows1252(file.gamePath);
    }
    if (!lineEndsOnly.empty())
        text += "Only the line ends would change in: " + lineEndsOnly + "\n";
    std::string others;
    for (const std::string& path : preview.otherFiles)
        others += (others.empty() ? "" : ", ") + Utf8FromWindows1252(path);
    if (!others.empty())
        text += "Also written, not shown: " + others + "\n";
    return text;
}
