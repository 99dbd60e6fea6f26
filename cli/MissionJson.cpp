#include "MissionJson.h"

#include "CodePage.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <set>
#include <span>
#include <vector>

namespace
{

// Ordered, so that the written form keeps the documented key order.
using Json = nlohmann::ordered_json;
using Mission = CMissionDefinition;

struct TextField
{
    const char* key;
    CString Mission::*field;
};

constexpr TextField kNames[] = {
    {"missionName", &Mission::missionName},
    {"timeDateStamp", &Mission::timeDateStamp},
    {"tutorialGroup", &Mission::tutorialGroup},
};
constexpr TextField kFiles[] = {
    {"mission", &Mission::missionFile},
    {"briefing", &Mission::briefingFile},
    {"intel", &Mission::intelFile},
    {"splash", &Mission::splashFile},
};
constexpr TextField kKits[] = {
    {"recon", &Mission::reconKit},
    {"assault", &Mission::assaultKit},
    {"demolitions", &Mission::demolitionsKit},
    {"electronics", &Mission::electronicsKit},
};

struct FlagField
{
    const char* key;
    std::int32_t Mission::*field;
};

constexpr FlagField kFlags[] = {
    {"duskreachTraining", &Mission::duskreachTraining},
    {"multiplayer", &Mission::multiplayer},
};

struct MaterialText
{
    const char* key;
    CStringArray Mission::*list;
    void (Mission::*set)(int, const CString&);
};

constexpr MaterialText kColorkeyTexts[] = {
    {"red", &Mission::colorkeyRed, &Mission::SetColorkeyRed},
    {"green", &Mission::colorkeyGreen, &Mission::SetColorkeyGreen},
    {"blue", &Mission::colorkeyBlue, &Mission::SetColorkeyBlue},
};
constexpr MaterialText kScrollTexts[] = {
    {"x", &Mission::scrollX, &Mission::SetScrollX},
    {"y", &Mission::scrollY, &Mission::SetScrollY},
    {"z", &Mission::scrollZ, &Mission::SetScrollZ},
};
constexpr MaterialText kAnimationTexts[] = {
    {"interval", &Mission::animationIntervals, &Mission::SetAnimationInterval},
};

struct Effect
{
    const char* key;
    CStringArray Mission::*flags;
    void (Mission::*setFlag)(int, bool);
    std::span<const MaterialText> texts;
    bool hasMode;
};

constexpr Effect kEffects[] = {
    {"colorkey", &Mission::transparencyFlags, &Mission::SetTransparencyFlag, kColorkeyTexts, false},
    {"scroll", &Mission::scrollFlags, &Mission::SetScrollFlag, kScrollTexts, false},
    {"animation", &Mission::animationFlags, &Mission::SetAnimationFlag, kAnimationTexts, true},
};

// Indexed by the record's mode, "0" or "1".
constexpr const char* kAnimationModes[] = {"cycle", "oscillated"};

[[noreturn]] void Fail(const std::string& where, const std::string& problem)
{
    throw CMissionJsonError((where.empty() ? std::string("the top level") : where) + " " + problem);
}

std::string Child(const std::string& where, const std::string& key)
{
    return where.empty() ? key : where + "." + key;
}

std::string Element(const std::string& where, std::size_t i)
{
    return where + "[" + std::to_string(i) + "]";
}

// Writing.

Json Text(const CString& text)
{
    return Utf8FromWindows1252(text);
}

Json Texts(CStringArray::const_iterator first, CStringArray::const_iterator end)
{
    Json list = Json::array();
    for (auto it = first; it != end; ++it)
        list.push_back(Text(*it));
    return list;
}

Json TextObject(const Mission& mission, std::span<const TextField> fields)
{
    Json object = Json::object();
    for (const auto& [key, field] : fields)
        object[key] = Text(mission.*field);
    return object;
}

// Flags and animation modes are stored as "0" or "1"; the JSON form has no way to carry anything else.
std::size_t StoredBinary(const CString& stored, const std::string& where)
{
    if (stored != "0" && stored != "1")
        Fail(where, "holds " + QuotedText(stored) + ", which is neither \"0\" nor \"1\"");
    return stored == "1" ? 1 : 0;
}

Json MaterialJson(const Mission& mission, int i)
{
    const auto at = static_cast<std::size_t>(i);
    const std::string where = Element("materials", at);
    Json material = Json::object();
    material["name"] = Text(mission.materialNames[at]);
    for (const Effect& effect : kEffects)
    {
        const std::string effectWhere = Child(where, effect.key);
        Json object = Json::object();
        object["enabled"] = StoredBinary((mission.*effect.flags)[at], Child(effectWhere, "enabled")) == 1;
        if (effect.hasMode)
            object["mode"] =
                kAnimationModes[StoredBinary(mission.animationModes[at], Child(effectWhere, "mode"))];
        for (const MaterialText& text : effect.texts)
            object[text.key] = Text((mission.*text.list)[at]);
        material[effect.key] = object;
    }
    const auto [first, end] = mission.TexturesOf(i);
    material["textures"] = Texts(mission.textures.begin() + first, mission.textures.begin() + end);
    return material;
}

// Reading.

std::string Describe(const Json& value)
{
    switch (value.type())
    {
    case Json::value_t::object:
        return "an object";
    case Json::value_t::array:
        return "an array";
    default:
        return value.dump();
    }
}

CString TextOf(const Json& value, const std::string& where)
{
    if (!value.is_string())
        Fail(where, "must be a string, not " + Describe(value));
    auto text = Windows1252FromUtf8(value.get_ref<const std::string&>());
    if (!text)
        Fail(where, "holds a character that Windows-1252 lacks");
    // Game files are edited line by line, and the mission file refuses line breaks.
    if (text->find_first_of("\r\n") != CString::npos)
        Fail(where, "must not hold a line break");
    return *text;
}

// One JSON object; remembers which keys were asked for so that Finish can report the others.
class CObjectReader
{
public:
    CObjectReader(const Json& value, std::string where) : object(value), where(std::move(where))
    {
        if (!object.is_object())
            Fail(this->where, "must be an object, not " + Describe(object));
    }

    CString Text(const char* key)
    {
        const Json* value = Find(key);
        return value ? TextOf(*value, Child(where, key)) : CString();
    }

    bool Flag(const char* key)
    {
        const Json* value = Find(key);
        if (!value)
            return false;
        if (!value->is_boolean())
            Fail(Child(where, key), "must be true or false, not " + Describe(*value));
        return value->get<bool>();
    }

    // A missing key reads as the first choice.
    int Choice(const char* key, std::span<const char* const> choices)
    {
        const Json* value = Find(key);
        if (!value)
            return 0;
        for (std::size_t i = 0; i < choices.size(); ++i)
            if (*value == choices[i])
                return static_cast<int>(i);
        Fail(Child(where, key), "must be \"" + std::string(choices[0]) + "\" or \"" + choices[1] +
                                    "\", not " + Describe(*value));
    }

    CObjectReader Object(const char* key)
    {
        static const Json empty = Json::object();
        const Json* value = Find(key);
        return CObjectReader(value ? *value : empty, Child(where, key));
    }

    // Calls each(element, where) for every element of an array; a missing key is an empty array.
    template <typename Each> void ForEach(const char* key, Each each)
    {
        const Json* value = Find(key);
        if (!value)
            return;
        const std::string listWhere = Child(where, key);
        if (!value->is_array())
            Fail(listWhere, "must be an array, not " + Describe(*value));
        for (std::size_t i = 0; i < value->size(); ++i)
            each((*value)[i], Element(listWhere, i));
    }

    void Finish() const
    {
        for (const auto& item : object.items())
            if (!asked.contains(item.key()))
                throw CMissionJsonError("unknown key \"" + Child(where, item.key()) + "\"");
    }

private:
    const Json* Find(const char* key)
    {
        asked.insert(key);
        const auto it = object.find(key);
        return it == object.end() ? nullptr : &*it;
    }

    const Json& object;
    std::string where;
    std::set<std::string> asked;
};

void ReadTextObject(CObjectReader reader, Mission& mission, std::span<const TextField> fields)
{
    for (const auto& [key, field] : fields)
        mission.*field = reader.Text(key);
    reader.Finish();
}

void ReadMaterial(const Json& value, const std::string& where, Mission& mission)
{
    CObjectReader material(value, where);
    mission.AddMaterial(material.Text("name"));
    const int i = mission.MaterialCount() - 1;
    for (const Effect& effect : kEffects)
    {
        CObjectReader object = material.Object(effect.key);
        (mission.*effect.setFlag)(i, object.Flag("enabled"));
        if (effect.hasMode)
            mission.SetAnimationMode(i, object.Choice("mode", kAnimationModes));
        for (const MaterialText& text : effect.texts)
            (mission.*text.set)(i, object.Text(text.key));
        object.Finish();
    }
    material.ForEach("textures", [&](const Json& texture, const std::string& textureWhere)
                     { mission.AddTexture(i, TextOf(texture, textureWhere)); });
    material.Finish();
}

// Parses JSON text, refusing a key that an object already holds: the parser would keep only the last.
Json Parse(std::string_view text)
{
    std::vector<std::set<std::string>> openObjects;
    const auto refuseRepeats = [&openObjects](int, Json::parse_event_t event, Json& parsed)
    {
        if (event == Json::parse_event_t::object_start)
            openObjects.emplace_back();
        else if (event == Json::parse_event_t::object_end)
            openObjects.pop_back();
        else if (event == Json::parse_event_t::key &&
                 !openObjects.back().insert(parsed.get<std::string>()).second)
            throw CMissionJsonError("repeated key " + parsed.dump());
        return true;
    };
    try
    {
        return Json::parse(text, refuseRepeats);
    }
    catch (const Json::parse_error& error)
    {
        // Drop the library's "[json.exception.parse_error.101] " tag.
        const std::string message = error.what();
        const std::size_t tagEnd = message.find("] ");
        throw CMissionJsonError(tagEnd == std::string::npos ? message : message.substr(tagEnd + 2));
    }
}

} // namespace

std::string QuotedText(const CString& text)
{
    return Json(Utf8FromWindows1252(text)).dump();
}

std::string MissionToJson(const Mission& mission)
{
    // Textures without any material would have nowhere to go.
    if (!mission.ListsConsistent() || (mission.materialNames.empty() && !mission.textures.empty()))
        throw CMissionJsonError(
            "the mission's materials, textures or victory conditions do not fit together");
    Json document = Json::object();
    for (const auto& [key, field] : kNames)
        document[key] = Text(mission.*field);
    document["files"] = TextObject(mission, kFiles);
    for (const auto& [key, field] : kFlags)
        document[key] = StoredBinary(std::to_string(mission.*field), key) == 1;
    document["kits"] = TextObject(mission, kKits);
    document["intelEntries"] = Texts(mission.intelEntries.begin(), mission.intelEntries.end());
    Json conditions = Json::array();
    for (std::size_t i = 0; i < mission.victoryTokens.size(); ++i)
        conditions.push_back({{"token", Text(mission.victoryTokens[i])},
                              {"description", Text(mission.victoryDescriptions[i])}});
    document["victoryConditions"] = conditions;
    Json materials = Json::array();
    for (int i = 0; i < mission.MaterialCount(); ++i)
        materials.push_back(MaterialJson(mission, i));
    document["materials"] = materials;
    return document.dump(2) + "\n";
}

Mission MissionFromJson(std::string_view text)
{
    const Json document = Parse(text);
    Mission mission;
    CObjectReader root(document, "");
    for (const auto& [key, field] : kNames)
        mission.*field = root.Text(key);
    ReadTextObject(root.Object("files"), mission, kFiles);
    for (const auto& [key, field] : kFlags)
        mission.*field = root.Flag(key) ? 1 : 0;
    ReadTextObject(root.Object("kits"), mission, kKits);
    root.ForEach("intelEntries", [&](const Json& entry, const std::string& where)
                 { mission.AddIntelEntry(TextOf(entry, where)); });
    root.ForEach("victoryConditions",
                 [&](const Json& value, const std::string& where)
                 {
                     CObjectReader condition(value, where);
                     mission.AddToken(condition.Text("token"));
                     mission.SetDescription(static_cast<int>(mission.victoryTokens.size()) - 1,
                                            condition.Text("description"));
                     condition.Finish();
                 });
    root.ForEach("materials",
                 [&](const Json& value, const std::string& where) { ReadMaterial(value, where, mission); });
    root.Finish();
    return mission;
}
