#pragma once

#include "TextFile.h"

#include <cstdint>
#include <string>
#include <vector>

// Whether a file whose count line says count can gain added entries: no file holds a negative number of
// entries, nor one that the count could not be raised past.
bool CountCanGrow(int count, std::size_t added);

// Writes lines after the text of the entry that starts at entryStart, each on a line of its own. Whatever
// followed that text, its line end and any further lines, comes after the new lines: nothing is overwritten,
// and an entry that ended the file without a line end leaves the last new line without one. The file is
// left after the last line written.
void AppendLinesAfterEntry(CTextFile& file, std::int64_t entryStart, const std::vector<std::string>& lines);
