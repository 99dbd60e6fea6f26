#pragma once

#include "MissionDefinition.h"

#include <stdexcept>
#include <string>
#include <string_view>

// A mission that the JSON form cannot hold, or JSON text that describes no mission. One line.
class CMissionJsonError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The mission's JSON form, texts in UTF-8 read as Windows-1252. Throws CMissionJsonError for flags and
// animation modes other than "0" and "1", and for lists that break the record's invariants.
std::string MissionToJson(const CMissionDefinition& mission);

// The mission that JSON text describes; missing keys keep the record's defaults. Throws
// CMissionJsonError for malformed JSON, unknown or repeated keys, values of the wrong type and texts
// that Windows-1252 cannot store.
CMissionDefinition MissionFromJson(std::string_view text);

// A text as a quoted JSON string in UTF-8, control characters escaped: how texts are shown to people.
std::string QuotedText(const CString& text);
