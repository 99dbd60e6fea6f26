#include "MissionFile.h"

#include "CodePage.h"
#include "FileSystem.h"

#include <type_traits>

namespace
{

// A 16-bit length of 0xFFFE marks a text stored in UTF-16; the reader reports it as this value, which
// no 32-bit length can take.
constexpr std::uint32_t kWideMarker = 0xFFFE;
constexpr std::uint64_t kWideText = std::uint64_t{1} << 32;

class Writer
{
public:
    void Text(const CString& text, std::string_view)
    {
        if (text.size() < 0xFF)
        {
            Number(text.size(), 1);
        }
        else
        {
            Number(0xFF, 1);
            Extended(text.size(), kWideMarker);
        }
        bytes += text;
    }

    void Flag(std::int32_t flag, std::string_view) { Number(static_cast<std::uint32_t>(flag), 4); }

    template <typename Sequence> void List(const Sequence& list, std::string_view)
    {
        Extended(list.size(), 0xFFFF);
        for (const auto& element : list)
            if constexpr (std::is_same_v<Sequence, CIntArray>)
                Flag(element, {});
            else
                Text(element, {});
    }

    std::string bytes;

private:
    // Little-endian on every host.
    void Number(std::uint64_t value, int width)
    {
        for (int i = 0; i < width; ++i)
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }

    // A 16-bit value below limit, else 0xFFFF and a 32-bit value.
    void Extended(std::uint64_t value, std::uint32_t limit)
    {
        if (value < limit)
        {
            Number(value, 2);
        }
        else
        {
            Number(0xFFFF, 2);
            Number(value, 4);
        }
    }
};

// Reads from bytes already in memory and, when there is one, from a file as far as it is needed.
// The first failure is kept and every later read does nothing.
class Reader
{
public:
    Reader(std::string_view bytes, IFile* file) : buffer(bytes), file(file) {}

    void Text(CString& text, std::string_view item)
    {
        const std::uint64_t length = Length(item);
        std::string read;
        if (length == kWideText)
        {
            const std::uint64_t units = Length(item);
            if (units == kWideText)
                return Fail("The text of " + std::string(item) + " is marked as UTF-16 twice.");
            if (!Holds(units * 2, "The length given for", item))
                return;
            std::u16string wide;
            for (std::uint64_t i = 0; i < units; ++i)
                wide += static_cast<char16_t>(Number(2, item));
            auto converted = AnsiFromUtf16(wide);
            if (!converted)
                return Fail("The text of " + std::string(item) +
                            " cannot be converted to the system's code page.");
            read = std::move(*converted);
        }
        else if (Holds(length, "The length given for", item))
        {
            read.assign(buffer, position, static_cast<std::size_t>(length));
            position += static_cast<std::size_t>(length);
        }
        if (!error.empty())
            return;
        if (read.find_first_of("\r\n") != std::string::npos)
            return Fail("There is a line break in " + std::string(item) + ".");
        text = std::move(read);
    }

    void Flag(std::int32_t& flag, std::string_view item)
    {
        const std::uint32_t value = Number(4, item);
        if (error.empty())
            flag = static_cast<std::int32_t>(value);
    }

    template <typename Sequence> void List(Sequence& list, std::string_view item)
    {
        const std::uint64_t count = Extended(item);
        // The smallest an entry can be: four bytes for an integer, a one-byte length for a text.
        const std::uint64_t smallest = std::is_same_v<Sequence, CIntArray> ? 4 : 1;
        if (!Holds(count * smallest, "The count given for", item))
            return;
        const std::string entry = "an entry of " + std::string(item);
        list.resize(static_cast<std::size_t>(count));
        for (auto& element : list)
            if constexpr (std::is_same_v<Sequence, CIntArray>)
                Flag(element, entry);
            else
                Text(element, entry);
    }

    const std::string& Error() const { return error; }

    void Fail(std::string message)
    {
        if (error.empty())
            error = std::move(message);
    }

private:
    // Little-endian unsigned value of width bytes; 0 once reading has failed.
    std::uint32_t Number(std::size_t width, std::string_view item)
    {
        if (error.empty() && !Available(width))
            Fail("The file ends before " + std::string(item) + " is complete.");
        if (!error.empty())
            return 0;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < width; ++i)
            value |= std::uint32_t{static_cast<unsigned char>(buffer[position + i])} << (8 * i);
        position += width;
        return value;
    }

    // A text's length, or kWideText for the UTF-16 marker.
    std::uint64_t Length(std::string_view item)
    {
        const std::uint32_t length = Number(1, item);
        if (length < 0xFF)
            return length;
        const std::uint32_t longer = Number(2, item);
        return longer == kWideMarker ? kWideText : longer == 0xFFFF ? Number(4, item) : longer;
    }

    std::uint32_t Extended(std::string_view item)
    {
        const std::uint32_t value = Number(2, item);
        return value == 0xFFFF ? Number(4, item) : value;
    }

    // Checked before anything is allocated for what a length or count announces.
    bool Holds(std::uint64_t size, std::string_view what, std::string_view item)
    {
        if (error.empty() && !Available(size))
            Fail(std::string(what) + " " + std::string(item) + " is more than the rest of the file holds.");
        return error.empty();
    }

    bool Available(std::uint64_t size)
    {
        while (buffer.size() - position < size && file && error.empty())
        {
            char chunk[4096];
            const std::int64_t got = file->Read(chunk, sizeof chunk);
            if (got < 0)
                Fail("The file cannot be read.");
            else if (got == 0)
                file = nullptr;
            else
                buffer.append(chunk, static_cast<std::size_t>(got));
        }
        return buffer.size() - position >= size;
    }

    std::string buffer;
    std::size_t position = 0;
    IFile* file;
    std::string error;
};

// The thirty items in file order, shared by the writer and the reader.
template <typename Archive, typename Mission> void Items(Archive& archive, Mission& mission)
{
    archive.Text(mission.missionName, "the mission name");
    archive.Text(mission.timeDateStamp, "the time and date stamp");
    archive.Text(mission.tutorialGroup, "the tutorial group");
    archive.Text(mission.missionFile, "the mission file name");
    archive.Text(mission.briefingFile, "the briefing file name");
    archive.Text(mission.intelFile, "the intel file name");
    archive.Text(mission.splashFile, "the splash file name");
    archive.Flag(mission.duskreachTraining, "the Duskreach Training setting");
    archive.Text(mission.reconKit, "the recon kit file name");
    archive.Text(mission.assaultKit, "the assault kit file name");
    archive.Text(mission.demolitionsKit, "the demolitions kit file name");
    archive.Text(mission.electronicsKit, "the electronics kit file name");
    archive.Flag(mission.multiplayer, "the multiplayer setting");
    archive.List(mission.intelEntries, "the intel entry list");
    archive.List(mission.victoryTokens, "the victory token list");
    archive.List(mission.victoryDescriptions, "the victory description list");
    archive.List(mission.materialNames, "the material list");
    archive.List(mission.colorkeyRed, "the colorkey red list");
    archive.List(mission.colorkeyGreen, "the colorkey green list");
    archive.List(mission.colorkeyBlue, "the colorkey blue list");
    archive.List(mission.transparencyFlags, "the transparency list");
    archive.List(mission.scrollFlags, "the scroll list");
    archive.List(mission.animationFlags, "the animation list");
    archive.List(mission.scrollX, "the scroll X list");
    archive.List(mission.scrollY, "the scroll Y list");
    archive.List(mission.scrollZ, "the scroll Z list");
    archive.List(mission.animationModes, "the animation mode list");
    archive.List(mission.animationIntervals, "the animation interval list");
    archive.List(mission.textureStarts, "the texture start list");
    archive.List(mission.textures, "the texture list");
}

MissionFileResult Decode(Reader& reader, CMissionDefinition& mission)
{
    mission.ClearLists();
    Items(reader, mission);
    if (reader.Error().empty() && !mission.ListsConsistent())
        reader.Fail("The file's token, material and texture lists do not fit together.");
    if (reader.Error().empty())
        return {};
    // Texts and flags read so far stay; lists are taken only from a whole, consistent file.
    mission.ClearLists();
    return {MissionFileStatus::ReadError, reader.Error()};
}

} // namespace

std::string EncodeMission(const CMissionDefinition& mission)
{
    Writer writer;
    Items(writer, mission);
    return std::move(writer.bytes);
}

MissionFileResult DecodeMission(std::string_view bytes, CMissionDefinition& mission)
{
    Reader reader(bytes, nullptr);
    return Decode(reader, mission);
}

MissionFileResult SaveMissionFile(IFileSystem& fileSystem, const std::string& path,
                                  const CMissionDefinition& mission)
{
    const std::string bytes = EncodeMission(mission);
    const auto file = fileSystem.OpenUtf8(path, OpenMode::Write);
    if (!file)
        return {MissionFileStatus::OpenFailed, "The file cannot be created."};
    const bool written = file->Write(bytes.data(), bytes.size()) == bytes.size();
    const bool flushed = file->Flush();
    const bool closed = file->Close();
    if (!written || !flushed || !closed)
        return {MissionFileStatus::WriteError, "The mission file could not be written completely."};
    return {};
}

MissionFileResult LoadMissionFile(IFileSystem& fileSystem, const std::string& path,
                                  CMissionDefinition& mission)
{
    const auto file = fileSystem.OpenUtf8(path, OpenMode::Read);
    if (!file)
        return {MissionFileStatus::OpenFailed, "The file cannot be opened."};
    Reader reader({}, file.get());
    MissionFileResult result = Decode(reader, mission);
    file->Close();
    return result;
}

std::string DefaultMissionFileName(const std::string& missionName)
{
    std::string name = missionName;
    const std::string_view illegal = kIllegalFileNameCharacters;
    std::erase_if(name, [&](char c) { return illegal.find(c) != std::string_view::npos; });
    return name;
}
