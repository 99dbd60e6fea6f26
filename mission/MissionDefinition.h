#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

using CString = std::string;
using CStringArray = std::vector<std::string>;
using CIntArray = std::vector<std::int32_t>;

// Everything the user states about one mission. Plain value: every hand-over is a full copy.
class CMissionDefinition
{
public:
    CString missionName;
    CString timeDateStamp;
    CString tutorialGroup;
    CString missionFile;
    CString briefingFile;
    CString intelFile;
    CString splashFile;
    std::int32_t duskreachTraining = 0;
    CString reconKit;
    CString assaultKit;
    CString demolitionsKit;
    CString electronicsKit;
    std::int32_t multiplayer = 0;
    CStringArray intelEntries;
    CStringArray victoryTokens;
    CStringArray victoryDescriptions;
    // Per material, parallel to materialNames.
    CStringArray materialNames;
    CStringArray colorkeyRed;
    CStringArray colorkeyGreen;
    CStringArray colorkeyBlue;
    CStringArray transparencyFlags;
    CStringArray scrollFlags;
    CStringArray animationFlags;
    CStringArray scrollX;
    CStringArray scrollY;
    CStringArray scrollZ;
    CStringArray animationModes;
    CStringArray animationIntervals;
    CIntArray textureStarts;
    // Textures of all materials, grouped by material in material order.
    CStringArray textures;

    bool operator==(const CMissionDefinition&) const = default;

    // Indices outside a list are ignored by every operation.
    void AddIntelEntry(const CString& text);
    void RemoveIntelEntry(int i);
    void AddToken(const CString& token);
    void RemoveToken(int i);
    void SetDescription(int i, const CString& text);
    void AddMaterial(const CString& name);
    void RemoveMaterial(int i);
    // First and end index of material i's textures in textures.
    std::pair<int, int> TexturesOf(int i) const;
    void AddTexture(int i, const CString& name);
    void RemoveTexture(int i, int k);

    void SetColorkeyRed(int i, const CString& value);
    void SetColorkeyGreen(int i, const CString& value);
    void SetColorkeyBlue(int i, const CString& value);
    void SetScrollX(int i, const CString& value);
    void SetScrollY(int i, const CString& value);
    void SetScrollZ(int i, const CString& value);
    void SetAnimationInterval(int i, const CString& value);
    void SetTransparencyFlag(int i, bool on);
    void SetScrollFlag(int i, bool on);
    void SetAnimationFlag(int i, bool on);
    // 0 = cycle, 1 = oscillated.
    void SetAnimationMode(int i, int mode);

    int MaterialCount() const { return static_cast<int>(materialNames.size()); }
    // Parallel lists of equal length and texture starts that stay inside textures, in order.
    bool ListsConsistent() const;

    // Nothing on success, else the one message to show. Colliding names are refused also for a multiplayer
    // mission, whose briefing and intel files are backed up too.
    std::optional<CString> Validate() const;
    // The first part of Validate alone: the message for the first file name with an illegal character.
    std::optional<CString> IllegalFileNameMessage() const;
    // The message for a briefing or intel file name, the two that the run opens, that holds no illegal
    // character yet cannot name a file of its own in the game's folders: "." or "..", a device such as CON,
    // a name that Windows would shorten (a last dot or space), or one with a control character.
    std::optional<CString> UnusableFileNameMessage() const;
    // The message for a briefing or intel file name whose backup copy in data\Backup would overwrite another
    // copy or a file of the backup folder's own, whatever the letter case: the two names equal, or either
    // one a name the backup folder keeps for itself. Empty names are left to the other checks.
    std::optional<CString> CollidingFileNameMessage() const;
    // Validate, then what a run checks of the mission alone before its backup: every front end asks this
    // before it saves or installs a mission.
    std::optional<CString> Check() const;
    // The name of the first required field that is empty, for kxvuz to add to "Please fill in all
    // information.".
    std::optional<CString> FirstEmptyField() const;
    // The message for the first text that would break the syntax of a game file it is written to, or a list
    // entry or material the game cannot use; checked after Validate, for multiplayer missions too.
    std::optional<CString> RuleMessage() const;
    void ClearLists();

private:
    std::optional<CString> MaterialRuleMessage(int i, std::set<CString>& seen) const;
    // The seven texts that a mission for one player must fill in, with their names.
    std::array<std::pair<const CString*, const char*>, 7> RequiredFields() const;

    // The twelve per-material text lists, in the mission file's order.
    template <typename Self> static auto MaterialTextLists(Self& self)
    {
        using List = std::conditional_t<std::is_const_v<Self>, const CStringArray, CStringArray>;
        return std::array<List*, 12>{&self.materialNames,  &self.colorkeyRed,       &self.colorkeyGreen,
                                     &self.colorkeyBlue,   &self.transparencyFlags, &self.scrollFlags,
                                     &self.animationFlags, &self.scrollX,           &self.scrollY,
                                     &self.scrollZ,        &self.animationModes,    &self.animationIntervals};
    }
};

// Appends extension unless the text already ends in it exactly; trim removes trailing white space first.
CString NormaliseFileName(const CString& text, const CString& extension, bool trim);

inline constexpr char kFillInAllInformation[] = "Please fill in all information.";

// The nine characters that no file name may hold.
inline constexpr char kIllegalFileNameCharacters[] = "\\/:*?\"<>|";
