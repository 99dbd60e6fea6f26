#include "FileReplace.h"
#include "InstallationRun.h"
#include "Numbers.h"

namespace
{

CString Quoted(const CString& text)
{
    return "\"" + text + "\"";
}

} // namespace

void CInstallationRun::UpdateMissionList()
{
    StepProgress("Opening mission.lst...");
    Log("\nOpening " + missionListPath + "...");
    OpenForEditing(editFile, missionListPath, "Could not open the file " + missionListPath);
    Log("\nFile opened successfully.");
    StepProgress("Updating mission.lst...");

    editFile.SetPos(0);
    entryPos = SeekEntry(0, editFile);
    countPos = entryPos;
    const int missions = ReadCountAt(editFile, countPos);
    RewriteNumberAt(editFile, countPos, missions + 1);
    Log("\nChanged number of missions to " + IntToText(missions + 1) + ".");

    editFile.SetPos(countPos);
    entryPos = SeekEntry(82, editFile);
    const int tutorialMissions = ReadCountAt(editFile, entryPos);
    RewriteNumberAt(editFile, entryPos, tutorialMissions + 1);
    Log("\nChanged number of tutorial missions to " + IntToText(tutorialMissions + 1) + ".");
    countPos = entryPos;

    UpdateTutorialGroupings();
    const CString& group = mission.tutorialGroup;

    editFile.SetPos(countPos);
    groupCountPos = SeekEntry(1, editFile);
    const int groups = ReadCountAt(editFile, groupCountPos);
    if (groupMissing)
    {
        RewriteNumberAt(editFile, groupCountPos, groups + 1);
        Log("\nIncreased number of tutorial groups to " + IntToText(groups + 1) + ".");
    }

    // Walk the groups before ours: each is a count line and five lines per mission. A new group goes after
    // the last record of the last group, or after its count line when it has none.
    editFile.SetPos(countPos);
    entryPos = groupIndex == 0 && groupMissing ? groupCountPos : SeekEntry(2, editFile);
    for (int j = 0; j < groupIndex; ++j)
    {
        const int records = ReadCountAt(editFile, entryPos);
        const int entries = groupMissing && j == groupIndex - 1 ? 5 * records - 1 : 5 * records;
        if (entries >= 0)
            entryPos = SeekEntry(entries, editFile);
        editFile.SetPos(entryPos);
    }

    if (!groupMissing)
    {
        const int records = ReadCountAt(editFile, entryPos);
        const int raised = records + 1;
        RewriteNumberAt(editFile, entryPos, raised);
        // The record goes after the group's last one, or right after the count line of an empty group.
        if (records > 0)
            entryPos = SeekEntry(5 * raised - 6, editFile);
        Log("\nIncreased number of tutorial missions in " + group + " to " + IntToText(raised) + ".");
    }

    fileArray.clear();
    fileArray.shrink_to_fit();
    const std::string tempPath = backupFolder + "Temp\\missionlst.txt";
    MakeWritable(tempPath);
    Log("\nOpening temp file " + tempPath + ".");
    CTextFile temp;
    if (!temp.Open(fileSystem, tempPath, "w"))
        FailAndRestore("Error opening temporary file " + tempPath + ".");
    StepProgress("Adding new mission to mission.lst...");
    Log("\nCopying new mission information to mission.lst...");

    const int held = CopyLinesThrough(editFile, temp, 0, entryPos, 0);
    if (groupMissing)
        fileArray.push_back("1\n");
    for (const CString* file :
         {&mission.missionFile, &mission.briefingFile, &mission.intelFile, &mission.splashFile})
        fileArray.push_back(Quoted(*file) + "\n");
    fileArray.push_back(Quoted(mission.reconKit) + "\t" + Quoted(mission.assaultKit) + "\t" +
                        Quoted(mission.demolitionsKit) + "\t\t" + Quoted(mission.electronicsKit) + "\n");
    fileArray.push_back("\n");
    entryPos = SeekEntry(0, editFile);
    CopyLinesThrough(editFile, temp, entryPos, -1, held);

    Log("\nCopying complete.");
    fileArray.clear();
    fileArray.shrink_to_fit();
    Log("\nClosing temp file and mission.lst.");
    const std::string copyFailure = "Failed to copy temp file\n" + tempPath + " to\n" + missionListPath + ".";
    // A temporary file that did not reach the disk whole must not replace the mission list.
    if (!temp.Close())
        FailAndRestore(copyFailure);
    editFile.Close();
    if (!CopyFileReplacing(fileSystem, tempPath, missionListPath))
        FailAndRestore(copyFailure);
}
