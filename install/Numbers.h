#pragma once

#include "TextFile.h"

#include <cstdint>
#include <string_view>

// A count as the game files hold it: the leading decimal integer after leading white space, with an
// optional sign, 0 when there are no digits.
int LeadingInteger(std::string_view text);

// Reads the line at lineStart and gives its count; the file is left after the line.
int ReadCountAt(CTextFile& file, std::int64_t lineStart);

// Writes value in place of the number that the line at lineStart begins with (after its leading blanks).
// A longer number makes room, so nothing after it is overwritten; a shorter one is padded with blanks to
// the old width, so no old digit stays behind it. The file is left just after the new digits.
bool RewriteNumberAt(CTextFile& file, std::int64_t lineStart, int value);
