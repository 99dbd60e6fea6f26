#pragma once

#include "MissionDefinition.h"

#include <cstddef>
#include <string_view>

// The text of the material file as the material edit reads and writes it. Words count only whole and
// outside comments; inComment carries a "/*" comment that is still open from one line to the next.

// The column just after name where a line holds "Material " + name, or npos.
std::size_t MaterialNameEnd(std::string_view line, std::string_view name);

// Whether a line holds anything but blanks and comments.
bool HoldsText(std::string_view line, bool& inComment);

// The first column from from on where word stands in line, or npos.
std::size_t FindWord(std::string_view line, std::size_t from, std::string_view word, bool& inComment);

enum class MaterialEffect
{
    Transparency,
    Scrolling,
    Animation,
};

bool EffectOn(const CMissionDefinition& mission, int material, MaterialEffect effect);

// lead, then the effect's word and values as a block gets them when the effect is added: a colorkey or
// scroll text ends in a blank, an animation text in a line break after its last texture.
CString EffectText(const CMissionDefinition& mission, int material, MaterialEffect effect, const char* lead);
