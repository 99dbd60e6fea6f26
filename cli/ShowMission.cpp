#include "ShowMission.h"

#include "MissionJson.h"

#include <cstddef>
#include <iomanip>
#include <string>

namespace
{

constexpr int kLabelWidth = 20;

void Field(std::ostream& out, const std::string& label, const std::string& value)
{
    out << std::left << std::setw(kLabelWidth) << label + ":" << value << "\n";
}

std::string YesNo(std::int32_t flag)
{
    switch (flag)
    {
    case 0:
        return "no";
    case 1:
        return "yes";
    default:
        return std::to_string(flag);
    }
}

// A stored "0" or "1" by its meaning; anything else as it stands, so that nothing is hidden.
std::string Meaning(const CString& stored, const char* zero, const char* one)
{
    if (stored == "0")
        return zero;
    if (stored == "1")
        return one;
    return QuotedText(stored);
}

std::string Count(std::size_t count)
{
    return count == 0 ? "none" : std::to_string(count);
}

void ShowMaterial(const CMissionDefinition& mission, int i, std::ostream& out)
{
    const auto at = static_cast<std::size_t>(i);
    const std::string indent = "     ";
    out << "  " << i + 1 << ". " << QuotedText(mission.materialNames[at]) << "\n";
    out << indent << "Colorkey:   " << Meaning(mission.transparencyFlags[at], "off", "on") << ", red "
        << QuotedText(mission.colorkeyRed[at]) << ", green " << QuotedText(mission.colorkeyGreen[at])
        << ", blue " << QuotedText(mission.colorkeyBlue[at]) << "\n";
    out << indent << "Scroll:     " << Meaning(mission.scrollFlags[at], "off", "on") << ", x "
        << QuotedText(mission.scrollX[at]) << ", y " << QuotedText(mission.scrollY[at]) << ", z "
        << QuotedText(mission.scrollZ[at]) << "\n";
    out << indent << "Animation:  " << Meaning(mission.animationFlags[at], "off", "on") << ", "
        << Meaning(mission.animationModes[at], "cycle", "oscillated") << ", interval "
        << QuotedText(mission.animationIntervals[at]) << "\n";
    const auto [first, end] = mission.TexturesOf(i);
    out << indent << "Textures:   ";
    if (first == end)
        out << "none";
    for (int k = first; k < end; ++k)
        out << (k == first ? "" : ", ") << QuotedText(mission.textures[static_cast<std::size_t>(k)]);
    out << "\n";
}

} // namespace

void ShowMission(const CMissionDefinition& mission, std::ostream& out)
{
    Field(out, "Mission name", QuotedText(mission.missionName));
    Field(out, "Time/date stamp", QuotedText(mission.timeDateStamp));
    Field(out, "Tutorial group", QuotedText(mission.tutorialGroup));
    Field(out, "Mission file", QuotedText(mission.missionFile));
    Field(out, "Briefing file", QuotedText(mission.briefingFile));
    Field(out, "Intel file", QuotedText(mission.intelFile));
    Field(out, "Splash file", QuotedText(mission.splashFile));
    Field(out, "Duskreach Training", YesNo(mission.duskreachTraining));
    Field(out, "Multiplayer only", YesNo(mission.multiplayer));
    Field(out, "Recon kit", QuotedText(mission.reconKit));
    Field(out, "Assault kit", QuotedText(mission.assaultKit));
    Field(out, "Demolitions kit", QuotedText(mission.demolitionsKit));
    Field(out, "Electronics kit", QuotedText(mission.electronicsKit));

    Field(out, "Intel entries", Count(mission.intelEntries.size()));
    for (std::size_t i = 0; i < mission.intelEntries.size(); ++i)
        out << "  " << i + 1 << ". " << QuotedText(mission.intelEntries[i]) << "\n";

    Field(out, "Victory conditions", Count(mission.victoryTokens.size()));
    for (std::size_t i = 0; i < mission.victoryTokens.size(); ++i)
        out << "  " << QuotedText(mission.victoryTokens[i]) << ": "
            << QuotedText(mission.victoryDescriptions[i]) << "\n";

    Field(out, "Materials", Count(mission.materialNames.size()));
    for (int i = 0; i < mission.MaterialCount(); ++i)
        ShowMaterial(mission, i, out);
}
