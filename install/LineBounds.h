#pragma once

#include "TextFile.h"

#include <cstdint>

// The edits copy and insert whole lines, while an entry found behind a closing "*/" starts inside its line.

// Where the line holding position starts; position itself when a line starts there.
std::int64_t StartOfLineHolding(CTextFile& file, std::int64_t position);

// Where the text of the line at lineStart ends on disk: at its line break, or at the end of the file.
std::int64_t LineBreakOf(CTextFile& file, std::int64_t lineStart);
