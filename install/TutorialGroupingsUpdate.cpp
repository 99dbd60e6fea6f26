#include "InstallationRun.h"
#include "LineBounds.h"
#include "Numbers.h"

#include <algorithm>

namespace
{

constexpr const char* kBlanks = " \t\r\n\v\f";

} // namespace

void CInstallationRun::UpdateTutorialGroupings()
{
    StepProgress("Opening tutorial_groupings.txt...");
    Log("\nOpening " + tutorialGroupingsPath + "...");
    mission.tutorialGroup = "\"" + mission.tutorialGroup + "\"";
    const CString& group = mission.tutorialGroup;
    OpenForEditing(sideFile, tutorialGroupingsPath, "Error opening the file " + tutorialGroupingsPath + ".");
    Log("\nFile opened successfully.");

    sideFile.SetPos(0);
    const std::int64_t countLine = SeekEntry(0, sideFile);
    std::string line;
    sideFile.SetPos(countLine);
    sideFile.ReadLine(line);
    const int groups = LeadingInteger(line);
    // Without group lines the new one follows the count line.
    std::int64_t lastLine = countLine;

    groupIndex = 0;
    groupMissing = true;
    StepProgress("Searching tutorial_groupings.txt...");
    Log("\nSearching for tutorial group " + group + "...");
    // The group lines are entries: blank and comment lines between them are passed over, not counted,
    // so that groupIndex is the group's place in the mission list.
    for (; groupIndex < groups; ++groupIndex)
    {
        entryPos = SeekEntry(0, sideFile);
        sideFile.SetPos(entryPos);
        sideFile.ReadLine(line);
        lastLine = entryPos;
        lineText = line;
        lineText.erase(lineText.find_last_not_of(kBlanks) + 1);
        lineText.erase(0, lineText.find_first_not_of(kBlanks));
        if (line.find(group) != std::string::npos)
        {
            groupMissing = false;
            Log("\nTutorial group found.");
            break;
        }
    }

    StepProgress("Updating tutorial_groupings.txt...");
    if (groupMissing)
    {
        Log("\nCreating tutorial group...");
        // Inserted after the last group line, so whatever followed it stays intact after the new line.
        sideFile.Splice(LineBreakOf(sideFile, lastLine), 0, "\r\n" + group);
        RewriteNumberAt(sideFile, countLine, std::max(groups, 0) + 1);
        Log("\nTutorial group created.");
    }
    Log("\nClosing " + tutorialGroupingsPath + ".");
    CloseEdited(sideFile, tutorialGroupingsPath);
}
