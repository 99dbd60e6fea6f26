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

std::string Files(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " file" : " files");
}

std::string OutcomeLine(const InstallationPreview& preview, const std::string& missionName)
{
    if (preview.outcome != RunOutcome::Completed)
        return preview.failure;
    return "Would install " + missionName + ": " + Files(preview.preview.gameFiles.size()) + " changed.";
}

std::string OutcomeLine(const UninstallPreview& preview)
{
    const Uninstallation& result = preview.uninstall;
    if (result.outcome == UninstallOutcome::Removed)
        return "Would remove " + result.missionName + ": " + Files(preview.preview.gameFiles.size()) +
               " changed, " + std::to_string(result.replayed) +
               (result.replayed == 1 ? " installation" : " installations") + " installed again.";
    return result.MessagesText();
}
