#include "EntryAppend.h"
#include "InstallationRun.h"
#include "Numbers.h"

void CInstallationRun::UpdateIntel()
{
    StepProgress("Opening intelnames.txt...");
    Log("\nOpening " + intelNamesPath + "...");
    OpenForEditing(editFile, intelNamesPath, "Error opening file " + intelNamesPath + ".");
    Log("\nFile opened successfully.");
    StepProgress("Updating intelnames.txt...");

    const std::vector<std::string>& entries = mission.intelEntries;
    const std::int64_t countStart = SeekEntry(0, editFile);
    const int names = ReadCountAt(editFile, countStart);
    // No names file holds such a count: the search for its last name would run off the end anyway.
    if (!CountCanGrow(names, entries.size()))
        FailAndRestore("Unexpected end of file found.");
    RewriteNumberAt(editFile, countStart, names + static_cast<int>(entries.size()));
    editFile.SetPos(countStart);
    const std::int64_t lastName = SeekEntry(names, editFile);
    Log("\nAdding entries to intelnames.txt...");
    std::vector<std::string> lines;
    for (const std::string& entry : entries)
        lines.push_back("\"" + entry + "\"");
    AppendLinesAfterEntry(editFile, lastName, lines);
    Log("\nEntries added.");
    CloseEdited(editFile, intelNamesPath);
    Log("\nIntelnames.txt file closed.");

    StepProgress("Opening the new mission's intel file...");
    Log("\nOpening intel file " + intelPath + "...");
    OpenForEditing(editFile, intelPath, "Error opening file " + intelPath + ".");
    Log("\nFile opened successfully.");
    StepProgress("Updating the intel file...");
    Log("\nChanging numbers in intel file...");

    // Passing an entry again from its start also passes a block comment that it opens, whatever the
    // rewritten number did to the line's length.
    auto passEntry = [this](std::int64_t start)
    {
        editFile.SetPos(start);
        SeekEntry(0, editFile);
    };
    // Item k of the file names the k-th of the names just appended.
    int number = names;
    for (int section = 0; section < 4; ++section)
    {
        const std::int64_t sectionStart = SeekEntry(0, editFile);
        const int items = ReadCountAt(editFile, sectionStart);
        passEntry(sectionStart);
        for (int item = 0; item < items; ++item)
        {
            const std::int64_t itemStart = SeekEntry(0, editFile);
            RewriteNumberAt(editFile, itemStart, number++);
            passEntry(itemStart);
        }
    }
    Log("\nChanges complete.");
    CloseEdited(editFile, intelPath);
    Log("\nIntel file closed.");
}
