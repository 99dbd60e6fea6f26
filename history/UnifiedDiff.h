#pragma once

#include <optional>
#include <string>

// A changed file as a unified diff: "--- a/PATH" and "+++ b/PATH" headers ("/dev/null" for a file that did
// not exist, or no longer does), hunks with three lines of context, text in UTF-8. Lines compare without
// their line ends, so a file whose only change is its line ends gives nothing. path is relative to the game
// directory, in the code page; it is shown with forward slashes.
std::string UnifiedDiff(const std::string& path, const std::optional<std::string>& before,
                        const std::optional<std::string>& after);
