#include "FileReplace.h"
#include "InstallationRun.h"
#include "LineBounds.h"

#include <algorithm>

void CInstallationRun::UpdateStringTable()
{
    StepProgress("Opening " + stringTablePath + "...");
    Log("\nOpening " + stringTablePath + "...");
    OpenForEditing(editFile, stringTablePath, "Error opening file " + stringTablePath + ".");
    Log("\nFile opened successfullly.");
    StepProgress("Updating kx_string_table.txt...");
    Log("\nSearching for token 'OVERLAY_SUCCESS'...");

    // Runs into "Unexpected end of file found." when no entry holds the token.
    std::int64_t insertionEntry = -1;
    for (;;)
    {
        entryPos = SeekEntry(0, editFile);
        editFile.SetPos(entryPos);
        editFile.ReadLine(lineText);
        if (lineText.find("OVERLAY_SUCCESS") != CString::npos)
            break;
        insertionEntry = entryPos;
    }
    Log("\nToken found.");
    // The new lines go in before this line start: the one after the last entry's line or, when the
    // token's entry is the first, the token's own line.
    std::int64_t insertAt;
    if (insertionEntry < 0)
        insertAt = StartOfLineHolding(editFile, entryPos);
    else
    {
        editFile.SetPos(insertionEntry);
        editFile.ReadLine(lineText);
        insertAt = editFile.GetPos();
    }

    const std::string tempPath = backupFolder + "Temp\\stringTable.txt";
    Log("\nOpening temp file " + tempPath + "...");
    CTextFile tempFile;
    if (!tempFile.Open(fileSystem, tempPath, "w"))
        FailAndRestore("Error opening temporary file " + tempPath + ".");
    Log("\nFile opened successfully.");
    fileArray.clear();
    fileArray.shrink_to_fit();
    Log("\nCopying victory conditions information...");

    // The line held at insertAt is copied again with the rest of the file, after the new lines.
    const int newLinesAt = CopyLinesThrough(editFile, tempFile, 0, insertAt, 0);
    fileArray.resize(static_cast<std::size_t>(newLinesAt));
    fileArray.push_back("\n//-- " + mission.missionName + "\n//\n");
    const std::size_t tokens = std::min(mission.victoryTokens.size(), mission.victoryDescriptions.size());
    for (std::size_t i = 0; i < tokens; ++i)
        fileArray.push_back(mission.victoryTokens[i] + "\t\t\"" + mission.victoryDescriptions[i] + "\"\n");
    CopyLinesThrough(editFile, tempFile, insertAt, -1, newLinesAt);
    fileArray.clear();
    fileArray.shrink_to_fit();

    editFile.Close();
    // A temporary file that did not reach the disk whole must not replace the table.
    if (!tempFile.Close() || !CopyFileReplacing(fileSystem, tempPath, stringTablePath))
        FailAndRestore("Failed to copy temp file\n" + tempPath + " to\n" + stringTablePath + ".");
    Log("\nCopying complete.");
    Log("\nkx_string_table.txt file closed.");
}
