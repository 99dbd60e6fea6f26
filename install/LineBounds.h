#pragma once

#include "TextFile.h"

#include <cstdint>
#include <optional>

// The edits copy and insert whole lines, while an entry found behind a closing "*/" starts inside its line.

// Where the line holding position starts; position itself when a line starts there.
std::int64_t StartOfLineHolding(CTextFile& file, std::int64_t position);

// Where the text of the line at lineStart ends on disk: at its line break, or at the end of the file.
std::int64_t LineBreakOf(CTextFile& file, std::int64_t lineStart);

// Where the next entry starts from the file's position on: blank lines and comments are passed, and text
// behind a closing "*/" counts as a line of its own. The file is left after the entry's line, or after the
// "*/" that closes a comment opened on it. Nothing when the file ends first, also inside a comment.
std::optional<std::int64_t> NextEntry(CTextFile& file);

// Where the "/*" stands that opens a comment the file never closes, read as NextEntry reads it from the
// file's position on; nothing when the file ends outside a comment.
std::optional<std::int64_t> UnclosedComment(CTextFile& file);
