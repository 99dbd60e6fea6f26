#include "InstallationRun.h"
#include "LineBounds.h"
#include "MaterialText.h"

namespace
{

constexpr std::size_t npos = std::string_view::npos;

// Whether an entry starts between the file's position and its end; the position stays.
bool EntryFollows(CTextFile& file)
{
    const std::int64_t from = file.GetPos();
    bool inComment = false;
    bool follows = false;
    std::string line;
    while (!follows && file.ReadLine(line))
        follows = HoldsText(line, inComment);
    file.SetPos(from);
    return follows;
}

CString NewBlock(const CMissionDefinition& mission, int material)
{
    CString text = "\n//-- " + mission.missionName + "\nMaterial " +
                   mission.materialNames[static_cast<std::size_t>(material)] + "\t\t";
    if (EffectOn(mission, material, MaterialEffect::Transparency))
        text += EffectText(mission, material, MaterialEffect::Transparency, "");
    for (MaterialEffect effect : {MaterialEffect::Scrolling, MaterialEffect::Animation})
        if (EffectOn(mission, material, effect))
            text += EffectText(mission, material, effect, "\n\t");
    return text + "End";
}

} // namespace

// Each material takes one pass over the whole file through the temporary file, so that the next one's
// search reads the file as this one left it.
void CInstallationRun::UpdateMaterials()
{
    StepProgress("Opening Sherman.cxp...");
    Log("\nOpening " + materialFilePath + "...");
    const std::string openFailure = "Error opening file " + materialFilePath + ".";
    OpenForEditing(editFile, materialFilePath, openFailure);
    Log("\nFile opened successfully.");
    const std::string tempPath = backupFolder + "Temp\\kxbEffects.txt";

    for (int i = 0; i < mission.MaterialCount(); ++i)
    {
        const CString& name = mission.materialNames[static_cast<std::size_t>(i)];
        StepProgress("Searching for material " + name + "...");
        Log("\nSearching for 'Material " + name + "'...");
        // Ends on the material's entry, or on the file's last entry when the file does not hold it.
        editFile.SetPos(0);
        std::size_t nameEnd = npos;
        for (int examined = 0;;)
        {
            entryPos = SeekEntry(0, editFile);
            const std::int64_t next = editFile.GetPos();
            editFile.SetPos(entryPos);
            editFile.ReadLine(lineText);
            nameEnd = MaterialNameEnd(lineText, name);
            if (nameEnd != npos)
            {
                Log("\nMaterial found.");
                break;
            }
            editFile.SetPos(next);
            if (!EntryFollows(editFile))
            {
                Log("\nMaterial not found.");
                break;
            }
            if (++examined == 1000)
                FailAndRestore("This error is caused by the " + gameDirectory +
                               "data\\texture\\sherman.cxp file being over 1000 lines long.");
        }
        const std::int64_t lineStart = StartOfLineHolding(editFile, entryPos);

        fileArray.clear();
        fileArray.shrink_to_fit();
        Log("\nOpening temporary file " + tempPath + "...");
        StepProgress("Updating sherman.cxp...");
        CTextFile temp;
        if (!temp.Open(fileSystem, tempPath, "w"))
            FailAndRestore("Error opening temporary file " + tempPath + ".");
        int held = CopyLinesThrough(editFile, temp, 0, lineStart, 0);
        // Nothing stands before the file's first line, so the copy has not read it.
        if (fileArray.empty())
        {
            editFile.SetPos(lineStart);
            editFile.ReadLine(lineText);
            fileArray.push_back(lineText);
            held = 0;
        }
        std::int64_t closingLine = lineStart;
        if (nameEnd == npos)
        {
            Log("\nAdding material...");
            fileArray.push_back(NewBlock(mission, i));
            Log("\nMaterial added.");
        }
        else
            closingLine = RewriteMaterialBlock(i, held, lineStart, nameEnd + (entryPos - lineStart));

        StepProgress("Cleaning up sherman.cxp...");
        CopyLinesThrough(editFile, temp, LineBreakOf(editFile, closingLine), -1, held);
        editFile.Close();
        const std::string copyFailure =
            "Failed to copy temp file\n" + tempPath + " to\n" + materialFilePath + ".";
        // A temporary file that did not reach the disk whole must not replace the material file.
        if (!temp.Close())
            FailAndRestore(copyFailure);

        if (!temp.Open(fileSystem, tempPath, "r"))
            FailAndRestore("Error opening file " + tempPath + ".");
        if (!editFile.Open(fileSystem, materialFilePath, "w"))
            FailAndRestore(openFailure);
        fileArray.clear();
        fileArray.shrink_to_fit();
        CopyLinesThrough(temp, editFile, 0, -1, 0);
        fileArray.clear();
        fileArray.shrink_to_fit();
        temp.Close();
        if (!editFile.Close())
            FailAndRestore(copyFailure);
        OpenForEditing(editFile, materialFilePath, openFailure);
        Log("\nMaterial " + name + " added successfully.");
    }
    editFile.Close();
    Log("\nSherman.cxp file closed.");
}
