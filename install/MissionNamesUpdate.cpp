#include "EntryAppend.h"
#include "InstallationRun.h"
#include "Numbers.h"

#include <limits>

void CInstallationRun::UpdateMissionNames()
{
    StepProgress("Opening missionnames.txt...");
    Log("\nOpening " + missionNamesPath + ".");
    OpenForEditing(editFile, missionNamesPath, "Could not open the file " + missionNamesPath + ".");
    Log("\nFile opened successfully.");
    editFile.SetPos(0);
    const std::int64_t countLine = SeekEntry(0, editFile);
    const int names = ReadCountAt(editFile, countLine);
    // A negative count names no last entry and the largest one has no successor: no names file holds
    // either, and neither may reach the entry search or the count's rewrite.
    if (names < 0 || names == std::numeric_limits<int>::max())
        FailAndRestore("Unexpected end of file found.");

    StepProgress("Updating the new mission's briefing file...");
    Log("\nOpening briefing file " + briefingPath + "...");
    OpenForEditing(sideFile, briefingPath, "Error opening file " + briefingPath + ".");
    Log("\nFile opened successfully.");
    sideFile.SetPos(0);
    RewriteNumberAt(sideFile, SeekEntry(0, sideFile), names);
    Log("\nChanged the number of the mission in localization file to " + IntToText(names) + ".");
    CloseEdited(sideFile, briefingPath);
    Log("\nBriefing file closed.");

    StepProgress("Updating missionnames.txt...");
    RewriteNumberAt(editFile, countLine, names + 1);
    Log("\nIncreased number of mission names to " + IntToText(names + 1) + ".");
    // With no names yet, the count line is entry 0 and the new name follows it.
    editFile.SetPos(countLine);
    AppendLinesAfterEntry(editFile, SeekEntry(names, editFile),
                          {"\"" + mission.missionName + "\"\t\t\"" + mission.timeDateStamp + "\""});
    Log("\nAdded mission name to missionnames.txt.");
    CloseEdited(editFile, missionNamesPath);
    Log("\nMissionnames.txt file closed.");
}
