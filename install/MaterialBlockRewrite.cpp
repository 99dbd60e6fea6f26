#include "InstallationRun.h"

#include "Characters.h"
#include "MaterialText.h"
#include "Numbers.h"

#include <algorithm>
#include <optional>

namespace
{

constexpr std::size_t npos = std::string_view::npos;

// What ends a value; ReadNextChar gives "/" for a comment it stepped over.
bool IsSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '/';
}

bool StartsComment(std::string_view line, std::size_t at)
{
    return line.substr(at, 2) == "//" || line.substr(at, 2) == "/*";
}

bool StartsWord(std::string_view line, std::size_t at)
{
    return at == 0 || IsBlank(line[at - 1]) || (at >= 2 && line.substr(at - 2, 2) == "*/");
}

bool EndsWord(std::string_view line, std::size_t at)
{
    return at == line.size() || IsBlank(line[at]) || StartsComment(line, at);
}

// Calls found at each column from from on that lies outside comments, until it says yes; gives that column,
// or npos. The comment rules are those of ReadNextChar, so that "/*/" is a whole comment.
template <typename Found>
std::size_t ScanCode(std::string_view line, std::size_t from, bool& inComment, Found found)
{
    for (std::size_t i = from; i < line.size(); ++i)
    {
        if (inComment)
        {
            const std::size_t close = line.find("*/", i);
            if (close == npos)
                return npos;
            inComment = false;
            i = close + 1;
        }
        else if (line.substr(i, 2) == "//")
            return npos;
        else if (line.substr(i, 2) == "/*")
            inComment = true;
        else if (found(i))
            return i;
    }
    return npos;
}

const CString& ValueAt(const CStringArray& list, int i)
{
    static const CString none;
    return i >= 0 && static_cast<std::size_t>(i) < list.size() ? list[static_cast<std::size_t>(i)] : none;
}

bool IsCount(std::string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::size_t MaterialNameEnd(std::string_view line, std::string_view name)
{
    constexpr std::string_view word = "Material ";
    bool inComment = false;
    const std::size_t at = ScanCode(line, 0, inComment,
                                    [&](std::size_t i)
                                    {
                                        return line.substr(i, word.size()) == word && StartsWord(line, i) &&
                                               line.substr(i + word.size(), name.size()) == name &&
                                               EndsWord(line, i + word.size() + name.size());
                                    });
    return at == npos ? npos : at + word.size() + name.size();
}

bool HoldsText(std::string_view line, bool& inComment)
{
    return ScanCode(line, 0, inComment, [&](std::size_t i) { return !IsBlank(line[i]); }) != npos;
}

std::size_t FindWord(std::string_view line, std::size_t from, std::string_view word, bool& inComment)
{
    return ScanCode(line, from, inComment,
                    [&](std::size_t i) {
                        return line.substr(i, word.size()) == word && StartsWord(line, i) &&
                               EndsWord(line, i + word.size());
                    });
}

bool EffectOn(const CMissionDefinition& mission, int material, MaterialEffect effect)
{
    const CStringArray& flags = effect == MaterialEffect::Transparency ? mission.transparencyFlags
                                : effect == MaterialEffect::Scrolling  ? mission.scrollFlags
                                                                       : mission.animationFlags;
    return ValueAt(flags, material) == "1";
}

CString EffectText(const CMissionDefinition& mission, int material, MaterialEffect effect, const char* lead)
{
    const int i = material;
    CString text = lead;
    if (effect == MaterialEffect::Transparency)
        return text += "colorkey " + ValueAt(mission.colorkeyRed, i) + " " +
                       ValueAt(mission.colorkeyGreen, i) + " " + ValueAt(mission.colorkeyBlue, i) + " ";
    if (effect == MaterialEffect::Scrolling)
        return text += "scroll " + ValueAt(mission.scrollX, i) + " " + ValueAt(mission.scrollY, i) + " " +
                       ValueAt(mission.scrollZ, i) + " ";
    const auto [first, end] = mission.TexturesOf(i);
    text += "animated\n\t" + ValueAt(mission.animationModes, i) + "\n\t" +
            ValueAt(mission.animationIntervals, i) + "\n\t" + CInstallationRun::IntToText(end - first) + "\n";
    for (int t = first; t < end; ++t)
        text += "\t" + mission.textures[static_cast<std::size_t>(t)] + "\n";
    return text;
}

// The block's lines are fileArray from the material's own line to the one that held End; values are read
// from them with ReadNextChar, which fails once they are exhausted.
struct CInstallationRun::MaterialBlock
{
    // A value's place in fileArray.
    struct Value
    {
        int line = 0;
        int column = 0;
        std::size_t size = 0;
        // A blank, tab or line break directly after the value, on its line.
        bool blankFollows = false;
    };

    MaterialBlock(CInstallationRun& run, int material) : run(run), material(material) {}

    CInstallationRun& run;
    int material;
    // The cursor of ReadNextChar.
    int column = 0;
    int line = 0;
    int length = 0;
    // Where the animation rewrite stands: step 0 mode, 1 interval, 2 textures; the old texture in hand, -1
    // before the count; the text that replaces it.
    int step = 0;
    int texture = -1;
    CString replacement;
    // Effects that the block gains; they follow its lines only at the end, so that no value is read from
    // them.
    CStringArray appended;

    int LineLength(int index) const
    {
        return index < static_cast<int>(run.fileArray.size())
                   ? static_cast<int>(run.fileArray[static_cast<std::size_t>(index)].size())
                   : 0;
    }

    // Places the cursor, past the end of any line it would stand at.
    void MoveTo(int toLine, int toColumn)
    {
        line = toLine;
        column = toColumn;
        while (line < static_cast<int>(run.fileArray.size()) && column >= LineLength(line))
        {
            ++line;
            column = 0;
        }
        length = LineLength(line);
    }

    // Reads the next value; it becomes the run's lineText.
    Value ReadValue()
    {
        Value value;
        char c;
        do
        {
            MoveTo(line, column);
            value.line = line;
            value.column = column;
            c = run.ReadNextChar(column, line, length);
        } while (IsSeparator(c));
        run.lineText.assign(1, c);
        for (;;)
        {
            // A value ends with its line even where the line has no line break.
            MoveTo(line, column);
            if (line != value.line)
                break;
            c = run.ReadNextChar(column, line, length);
            if (IsSeparator(c))
            {
                // A "/" stands for a comment, which stays.
                value.blankFollows = c != '/';
                break;
            }
            run.lineText += c;
        }
        value.size = run.lineText.size();
        return value;
    }

    // Replaces count characters at the value's place by text; the cursor goes on after text.
    void Replace(const Value& value, std::size_t count, const CString& text)
    {
        run.fileArray[static_cast<std::size_t>(value.line)].replace(static_cast<std::size_t>(value.column),
                                                                    count, text);
        MoveTo(value.line, value.column + static_cast<int>(text.size()));
    }
};

std::int64_t CInstallationRun::RewriteMaterialBlock(int material, int heldLine, std::int64_t lineStart,
                                                    std::size_t nameEnd)
{
    MaterialBlock block(*this, material);
    const int k = heldLine;
    auto element = [&](int index) -> CString& { return fileArray[static_cast<std::size_t>(index)]; };

    // End counts from behind the material's name on, and not inside a comment that runs on over lines.
    std::int64_t closingLine = lineStart;
    bool inComment = false;
    int e = k;
    std::size_t end = FindWord(element(k), nameEnd, "End", inComment);
    if (end == npos)
    {
        Log("\nSearching for token 'End'...");
        while (end == npos)
        {
            closingLine = SeekEntry(0, editFile);
            editFile.SetPos(closingLine);
            editFile.ReadLine(lineText);
            fileArray.push_back(lineText);
            ++e;
            end = FindWord(element(e), 0, "End", inComment);
        }
        Log("\nToken found.");
    }
    for (bool inEndComment = false; end != npos; end = FindWord(element(e), end, "End", inEndComment))
        element(e).erase(end, 3);

    auto find = [&](std::string_view word) -> std::optional<std::pair<int, int>>
    {
        bool open = false;
        for (int r = k; r <= e; ++r)
        {
            const std::size_t at = FindWord(element(r), r == k ? nameEnd : 0, word, open);
            if (at != npos)
                return std::pair{r, static_cast<int>(at + word.size())};
        }
        return std::nullopt;
    };
    const CMissionDefinition& m = mission;
    const int i = material;

    if (EffectOn(m, i, MaterialEffect::Transparency))
    {
        Log("\nSearching for token 'colorkey'...");
        if (const auto at = find("colorkey"))
        {
            Log("\nToken found.");
            RewriteValues(block, at->first, at->second, ValueAt(m.colorkeyRed, i),
                          ValueAt(m.colorkeyGreen, i), ValueAt(m.colorkeyBlue, i),
                          "\nChanging value of transparency...", "\nChange complete.");
        }
        else
        {
            Log("\nAdding transparency...");
            block.appended.push_back(EffectText(m, i, MaterialEffect::Transparency, "\t"));
            Log("\nTransparency added.");
        }
    }
    if (EffectOn(m, i, MaterialEffect::Scrolling))
    {
        Log("\nSearching for token 'scroll'...");
        if (const auto at = find("scroll"))
        {
            Log("\nToken found.");
            RewriteValues(block, at->first, at->second, ValueAt(m.scrollX, i), ValueAt(m.scrollY, i),
                          ValueAt(m.scrollZ, i), "Changing values for scrolling...", "\nChanges complete.");
        }
        else
        {
            Log("\nAdding scroll effect...");
            block.appended.push_back(EffectText(m, i, MaterialEffect::Scrolling, "\t"));
            Log("\nScroll effect added.");
        }
    }
    if (EffectOn(m, i, MaterialEffect::Animation))
    {
        Log("\nSearching for token 'animation'...");
        if (const auto at = find("animated"))
        {
            Log("\nToken found.");
            Log("\nChanging values for animation effect...");
            RewriteAnimation(block, at->first, at->second);
            Log("\nChanges complete.");
        }
        else
        {
            Log("\nAdding animation effects...");
            block.appended.push_back(EffectText(m, i, MaterialEffect::Animation, "\t"));
            Log("\nAnimation effects added.");
        }
    }
    fileArray.insert(fileArray.end(), block.appended.begin(), block.appended.end());
    fileArray.push_back("End");
    return closingLine;
}

void CInstallationRun::RewriteValues(MaterialBlock& block, int line, int column, const CString& first,
                                     const CString& second, const CString& third, const char* changeMessage,
                                     const char* completionMessage)
{
    block.MoveTo(line, column);
    Log(changeMessage);
    for (const CString* value : {&first, &second, &third})
    {
        const MaterialBlock::Value old = block.ReadValue();
        block.Replace(old, old.size, *value);
    }
    Log(completionMessage);
}

// Each old value is replaced where it stands; nothing else on its line changes.
void CInstallationRun::RewriteAnimation(MaterialBlock& block, int line, int column)
{
    const int i = block.material;
    block.MoveTo(line, column);
    block.step = 0;
    MaterialBlock::Value old = block.ReadValue();
    block.Replace(old, old.size, ValueAt(mission.animationModes, i));
    block.step = 1;
    old = block.ReadValue();
    block.Replace(old, old.size, ValueAt(mission.animationIntervals, i));

    block.step = 2;
    old = block.ReadValue();
    // Anything but a count here means the block does not have the layout that its names could be found by.
    if (!IsCount(lineText))
        DumpFileArray(block);
    const int oldCount = LeadingInteger(lineText);
    const auto [first, end] = mission.TexturesOf(i);
    const int newCount = end - first;
    block.Replace(old, old.size, IntToText(newCount));

    // Old names give way to new ones one by one; a surplus old name goes with the blank or line break after
    // it.
    int lastLine = old.line;
    for (block.texture = 0; block.texture < oldCount; ++block.texture)
    {
        old = block.ReadValue();
        block.replacement = block.texture < newCount
                                ? mission.textures[static_cast<std::size_t>(first + block.texture)] + "\n"
                                : "";
        block.Replace(old, old.size + (old.blankFollows ? 1 : 0), block.replacement);
        lastLine = old.line;
    }
    for (int t = oldCount; t < newCount; ++t)
        fileArray.insert(fileArray.begin() + ++lastLine,
                         "\t" + mission.textures[static_cast<std::size_t>(first + t)] + "\n");
}

void CInstallationRun::DumpFileArray(const MaterialBlock& block)
{
    const std::string path = logPath.substr(0, logPath.find_last_of("/\\") + 1) + "kxmaterials.txt";
    CTextFile dump;
    bool written = dump.Open(fileSystem, path, "w");
    if (written)
    {
        for (const CString& element : fileArray)
            dump.Write(element);
        const bool onLine = block.line < static_cast<int>(fileArray.size());
        dump.Write("\n\npos = " + IntToText(block.column) + "\nmax = " + IntToText(block.length) +
                   "\nstr = -" + lineText + "-\nrepStr = -" + block.replacement +
                   "-\nfileArray[cntFind] = -" +
                   (onLine ? fileArray[static_cast<std::size_t>(block.line)] : CString()) +
                   "-\nanimCount = " + IntToText(block.step) + "\nsubCount = " + IntToText(block.texture));
        written = dump.Close();
    }
    FailAndRestore("The material block of " + ValueAt(mission.materialNames, block.material) + " in " +
                   materialFilePath + " could not be read." +
                   (written ? " Its lines were written to kxmaterials.txt." : ""));
}
