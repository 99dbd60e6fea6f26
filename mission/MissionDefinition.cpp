#include "MissionDefinition.h"

#include "NameCase.h"

#include "GameFiles.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace
{

template <typename List> bool InRange(const List& list, int i)
{
    return i >= 0 && static_cast<std::size_t>(i) < list.size();
}

template <typename List> void EraseAt(List& list, int i)
{
    if (InRange(list, i))
        list.erase(list.begin() + i);
}

void Replace(CStringArray& list, int i, const CString& value)
{
    if (InRange(list, i))
        list[static_cast<std::size_t>(i)] = value;
}

// Shifts the start of every material after i by delta.
void ShiftStartsAfter(CIntArray& starts, int i, int delta)
{
    for (std::size_t j = static_cast<std::size_t>(i) + 1; j < starts.size(); ++j)
        starts[j] += delta;
}

} // namespace

void CMissionDefinition::AddIntelEntry(const CString& text)
{
    intelEntries.push_back(text);
}

void CMissionDefinition::RemoveIntelEntry(int i)
{
    EraseAt(intelEntries, i);
}

void CMissionDefinition::AddToken(const CString& token)
{
    victoryTokens.push_back(token);
    victoryDescriptions.emplace_back();
}

void CMissionDefinition::RemoveToken(int i)
{
    if (!InRange(victoryTokens, i))
        return;
    EraseAt(victoryTokens, i);
    EraseAt(victoryDescriptions, i);
}

void CMissionDefinition::SetDescription(int i, const CString& text)
{
    Replace(victoryDescriptions, i, text);
}

void CMissionDefinition::AddMaterial(const CString& name)
{
    materialNames.push_back(name);
    for (CStringArray* blank :
         {&colorkeyRed, &colorkeyGreen, &colorkeyBlue, &scrollX, &scrollY, &scrollZ, &animationIntervals})
        blank->emplace_back();
    for (CStringArray* zero : {&animationModes, &transparencyFlags, &scrollFlags, &animationFlags})
        zero->emplace_back("0");
    textureStarts.push_back(static_cast<std::int32_t>(textures.size()));
}

void CMissionDefinition::RemoveMaterial(int i)
{
    if (!InRange(materialNames, i))
        return;
    auto [first, end] = TexturesOf(i);
    textures.erase(textures.begin() + first, textures.begin() + end);
    ShiftStartsAfter(textureStarts, i, -(end - first));
    for (CStringArray* list : MaterialTextLists(*this))
        EraseAt(*list, i);
    EraseAt(textureStarts, i);
}

std::pair<int, int> CMissionDefinition::TexturesOf(int i) const
{
    if (!InRange(textureStarts, i))
        return {0, 0};
    const int count = static_cast<int>(textures.size());
    const auto index = static_cast<std::size_t>(i);
    const int first = std::clamp(textureStarts[index], 0, count);
    const int end =
        index + 1 < textureStarts.size() ? std::clamp(textureStarts[index + 1], first, count) : count;
    return {first, end};
}

void CMissionDefinition::AddTexture(int i, const CString& name)
{
    if (!InRange(textureStarts, i))
        return;
    const int end = TexturesOf(i).second;
    textures.insert(textures.begin() + end, name);
    ShiftStartsAfter(textureStarts, i, 1);
}

void CMissionDefinition::RemoveTexture(int i, int k)
{
    if (!InRange(textureStarts, i) || k < 0)
        return;
    auto [first, end] = TexturesOf(i);
    const int position = first + k;
    if (position >= end)
        return;
    textures.erase(textures.begin() + position);
    ShiftStartsAfter(textureStarts, i, -1);
}

void CMissionDefinition::SetColorkeyRed(int i, const CString& value)
{
    Replace(colorkeyRed, i, value);
}

void CMissionDefinition::SetColorkeyGreen(int i, const CString& value)
{
    Replace(colorkeyGreen, i, value);
}

void CMissionDefinition::SetColorkeyBlue(int i, const CString& value)
{
    Replace(colorkeyBlue, i, value);
}

void CMissionDefinition::SetScrollX(int i, const CString& value)
{
    Replace(scrollX, i, value);
}

void CMissionDefinition::SetScrollY(int i, const CString& value)
{
    Replace(scrollY, i, value);
}

void CMissionDefinition::SetScrollZ(int i, const CString& value)
{
    Replace(scrollZ, i, value);
}

void CMissionDefinition::SetAnimationInterval(int i, const CString& value)
{
    Replace(animationIntervals, i, value);
}

void CMissionDefinition::SetTransparencyFlag(int i, bool on)
{
    Replace(transparencyFlags, i, on ? "1" : "0");
}

void CMissionDefinition::SetScrollFlag(int i, bool on)
{
    Replace(scrollFlags, i, on ? "1" : "0");
}

void CMissionDefinition::SetAnimationFlag(int i, bool on)
{
    Replace(animationFlags, i, on ? "1" : "0");
}

void CMissionDefinition::SetAnimationMode(int i, int mode)
{
    Replace(animationModes, i, mode == 1 ? "1" : "0");
}

bool CMissionDefinition::ListsConsistent() const
{
    if (victoryTokens.size() != victoryDescriptions.size())
        return false;
    const std::size_t count = materialNames.size();
    for (const CStringArray* list : MaterialTextLists(*this))
        if (list->size() != count)
            return false;
    if (textureStarts.size() != count)
        return false;
    // Textures with no material to hold them would be lost by the dialogs and the run.
    if (count == 0)
        return textures.empty();
    return textureStarts.front() == 0 && std::is_sorted(textureStarts.begin(), textureStarts.end()) &&
           textureStarts.back() <= static_cast<std::int64_t>(textures.size());
}

std::optional<CString> CMissionDefinition::IllegalFileNameMessage() const
{
    const std::array<std::pair<const CString*, const char*>, 8> fields{{
        {&missionFile, "The mission (*.mis) file contains the illegal character "},
        {&briefingFile, "The briefing (*.brf) file contains the illegal character "},
        {&intelFile, "The intel (*.int) file contains the illegla character "},
        {&splashFile, "The splash (*.spl) file contains the illegal character "},
        {&reconKit, "The recon kit file contains the illegal character "},
        {&assaultKit, "The assault kit file contains the illegal character "},
        {&demolitionsKit, "The demolitions kit file contains the illegal character "},
        {&electronicsKit, "The electric kit file contains the illegal character "},
    }};
    for (const auto& [field, prefix] : fields)
    {
        const std::size_t at = field->find_first_of(kIllegalFileNameCharacters);
        if (at != CString::npos)
            return CString(prefix) + (*field)[at] + ".";
    }
    return std::nullopt;
}

namespace
{

bool IsDeviceName(const CString& name)
{
    CString stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (char& c : stem)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" ||
        stem == "CONOUT$")
        return true;
    return stem.size() == 4 && (stem.rfind("COM", 0) == 0 || stem.rfind("LPT", 0) == 0) && stem[3] >= '1' &&
           stem[3] <= '9';
}

bool IsUnusableFileName(const CString& name)
{
    if (name.empty())
        return false;
    const bool control = std::any_of(
        name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
    return control || name.back() == '.' || name.back() == ' ' || IsDeviceName(name);
}

} // namespace

std::optional<CString> CMissionDefinition::UnusableFileNameMessage() const
{
    for (const CString* field : {&briefingFile, &intelFile})
        if (IsUnusableFileName(*field))
            return "The file name " + *field + " cannot be used for a file in the game's folders.";
    return std::nullopt;
}

namespace
{

} // namespace

std::optional<CString> CMissionDefinition::CollidingFileNameMessage() const
{
    // The game's own files' copies, in either mission list, and what the backup folder keeps beside them.
    std::vector<std::string> taken(std::begin(kStagingFolders), std::end(kStagingFolders));
    taken.insert(taken.end(), std::begin(kBackupFolderOwnNames), std::end(kBackupFolderOwnNames));
    for (const int duskreach : {0, 1})
    {
        CMissionDefinition list;
        list.duskreachTraining = duskreach;
        for (const GameFile file : kGameFiles)
            if (const GameFileEntry entry = GameFileOf(file, list); !entry.missionsOwn)
                taken.push_back(entry.backupName);
    }
    if (!briefingFile.empty() && SameNameIgnoringCase(briefingFile, intelFile))
        return "The briefing file and the intel file are both named " + intelFile +
               ": their backup copies in data\\Backup would overwrite each other.";
    for (const auto& [field, kind] : {std::pair{&briefingFile, "briefing"}, std::pair{&intelFile, "intel"}})
        for (const std::string& name : taken)
            if (SameNameIgnoringCase(*field, name))
                return CString("The ") + kind + " file cannot be named " + *field +
                       ": data\\Backup keeps a file of that name for the installation's own use.";
    return std::nullopt;
}

std::optional<CString> CMissionDefinition::Validate() const
{
    if (auto illegal = IllegalFileNameMessage())
        return illegal;
    if (auto colliding = CollidingFileNameMessage())
        return colliding;
    if (multiplayer == 1)
        return std::nullopt;
    if (FirstEmptyField())
        return CString(kFillInAllInformation);
    return std::nullopt;
}

std::optional<CString> CMissionDefinition::Check() const
{
    if (auto problem = Validate())
        return problem;
    if (auto unusable = UnusableFileNameMessage())
        return unusable;
    return RuleMessage();
}

std::array<std::pair<const CString*, const char*>, 7> CMissionDefinition::RequiredFields() const
{
    return {{
        {&missionName, "mission name"},
        {&timeDateStamp, "time/date stamp"},
        {&tutorialGroup, "tutorial group"},
        {&missionFile, "mission (*.mis) file"},
        {&briefingFile, "briefing (*.brf) file"},
        {&intelFile, "intel (*.int) file"},
        {&splashFile, "splash (*.spl) file"},
    }};
}

std::optional<CString> CMissionDefinition::FirstEmptyField() const
{
    for (const auto& [field, name] : RequiredFields())
        if (field->empty())
            return CString(name);
    return std::nullopt;
}

void CMissionDefinition::ClearLists()
{
    for (CStringArray* list : MaterialTextLists(*this))
        list->clear();
    for (CStringArray* list : {&intelEntries, &victoryTokens, &victoryDescriptions, &textures})
        list->clear();
    textureStarts.clear();
}

CString NormaliseFileName(const CString& text, const CString& extension, bool trim)
{
    CString result = text;
    if (trim)
        result.erase(result.find_last_not_of(" \t\r\n\v\f") + 1);
    if (result.size() < extension.size() ||
        result.compare(result.size() - extension.size(), extension.size(), extension) != 0)
        result += extension;
    return result;
}
