#include "MissionDefinition.h"

#include "Characters.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace
{

using Problem = std::optional<CString>;

bool IsControl(char c)
{
    return static_cast<unsigned char>(c) < 0x20;
}

// Every game file quotes its texts with double quotes and separates its fields with tabs.
Problem BreaksTheSyntax(const CString& text, const CString& field)
{
    if (text.find('"') != CString::npos)
        return "The " + field + " contains a double quote, which the game's files cannot hold.";
    if (text.find('\t') != CString::npos)
        return "The " + field + " contains a tab, which the game's files cannot hold.";
    if (std::any_of(text.begin(), text.end(), IsControl))
        return "The " + field + " contains a control character, which the game's files cannot hold.";
    return std::nullopt;
}

// The game's entry reader opens a block comment at "/*" wherever it stands, inside quotes too: the lines
// behind it would vanish from every later installation's count of entries.
Problem BreaksAnEntry(const CString& text, const CString& field)
{
    if (Problem problem = BreaksTheSyntax(text, field))
        return problem;
    if (text.find("/*") != CString::npos)
        return "The " + field + " contains /*, which the game's files take for the start of a comment.";
    return std::nullopt;
}

// A word of the material file: its parser splits at blanks and takes the rest of a line after "//" or
// "/*" for a comment.
bool IsOneWord(const CString& text)
{
    return !text.empty() && std::none_of(text.begin(), text.end(), IsBlank) &&
           text.find("//") == CString::npos && text.find("/*") == CString::npos;
}

bool IsKeyword(const CString& name)
{
    const CString lower = LowerCase(name);
    return lower == "end" || lower == "material" || lower == "colorkey" || lower == "scroll" ||
           lower == "animated";
}

// An optional sign, then digits with at most one decimal point among them: "5", "-.25", "+7.".
bool IsDecimalNumber(const CString& text)
{
    const CString number = !text.empty() && (text[0] == '+' || text[0] == '-') ? text.substr(1) : text;
    return std::any_of(number.begin(), number.end(), IsDigit) &&
           std::count(number.begin(), number.end(), '.') <= 1 &&
           std::all_of(number.begin(), number.end(), [](char c) { return IsDigit(c) || c == '.'; });
}

CString Numbered(const char* what, std::size_t i)
{
    return CString(what) + " " + std::to_string(i + 1);
}

} // namespace

std::optional<CString> CMissionDefinition::RuleMessage() const
{
    const auto required = RequiredFields();
    std::vector<std::pair<const CString*, const char*>> texts(required.begin(), required.end());
    texts.insert(texts.end(), {{&reconKit, "recon kit file"},
                               {&assaultKit, "assault kit file"},
                               {&demolitionsKit, "demolitions kit file"},
                               {&electronicsKit, "electronics kit file"}});
    for (const auto& [text, field] : texts)
        if (Problem problem = BreaksAnEntry(*text, field))
            return problem;

    for (std::size_t i = 0; i < intelEntries.size(); ++i)
    {
        if (intelEntries[i].empty())
            return Numbered("Intel entry", i) + " is empty.";
        if (Problem problem = BreaksAnEntry(intelEntries[i], "intel entry " + intelEntries[i]))
            return problem;
    }

    std::set<CString> tokens;
    for (std::size_t i = 0; i < victoryTokens.size(); ++i)
    {
        const CString& token = victoryTokens[i];
        if (token.empty())
            return Numbered("Victory token", i) + " is empty.";
        if (Problem problem = BreaksAnEntry(token, "victory token " + token))
            return problem;
        // A token starts its line in the string table, and blanks in it are refused below.
        if (token.starts_with("//"))
            return "The victory token " + token +
                   " begins with //, which the game's files take for the start of a comment.";
        if (std::any_of(token.begin(), token.end(), IsBlank))
            return "The victory token " + token + " contains a blank; a token is one word.";
        if (!tokens.insert(token).second)
            return "The victory token " + token + " is listed twice.";
        if (i < victoryDescriptions.size())
            if (Problem problem = BreaksAnEntry(victoryDescriptions[i], "description of " + token))
                return problem;
    }

    std::set<CString> materials;
    for (int i = 0; i < MaterialCount(); ++i)
        if (Problem problem = MaterialRuleMessage(i, materials))
            return problem;
    return std::nullopt;
}

std::optional<CString> CMissionDefinition::MaterialRuleMessage(int i, std::set<CString>& seen) const
{
    const auto at = [i](const CStringArray& list) -> CString
    { return static_cast<std::size_t>(i) < list.size() ? list[static_cast<std::size_t>(i)] : CString(); };
    const CString name = at(materialNames);
    if (name.empty())
        return Numbered("Material", static_cast<std::size_t>(i)) + " has no name.";
    if (Problem problem = BreaksTheSyntax(name, "material name " + name))
        return problem;
    if (!IsOneWord(name))
        return "The material name " + name + " must be one word, without blanks or a comment start.";
    if (IsKeyword(name))
        return "The material name " + name + " is a keyword of the material file.";
    if (!seen.insert(name).second)
        return "The material " + name + " is listed twice.";

    // A disabled effect is kept but never written, so its values stay unchecked.
    if (at(transparencyFlags) == "1")
        for (const auto& [list, colour] : {std::pair{&colorkeyRed, "red"}, std::pair{&colorkeyGreen, "green"},
                                           std::pair{&colorkeyBlue, "blue"}})
            if (const CString value = at(*list);
                !IsWholeNumber(value) || value.size() > 3 || std::stoi(value) > 255)
                return CString("The colorkey ") + colour + " value of material " + name +
                       " must be a number from 0 to 255.";
    if (at(scrollFlags) == "1")
        for (const auto& [list, axis] :
             {std::pair{&scrollX, "X"}, std::pair{&scrollY, "Y"}, std::pair{&scrollZ, "Z"}})
            if (!IsDecimalNumber(at(*list)))
                return CString("The scroll ") + axis + " value of material " + name +
                       " must be a decimal number.";
    if (at(animationFlags) == "1")
    {
        if (!IsWholeNumber(at(animationIntervals)))
            return "The animation interval of material " + name + " must be a whole number.";
        const auto [first, end] = TexturesOf(i);
        for (int k = first; k < end; ++k)
        {
            const CString& texture = textures[static_cast<std::size_t>(k)];
            if (Problem problem = BreaksTheSyntax(texture, "texture " + texture + " of material " + name))
                return problem;
            if (!IsOneWord(texture))
                return "The texture name " + texture + " of material " + name + " must be one word.";
        }
    }
    return std::nullopt;
}
