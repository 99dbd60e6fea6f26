#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The 64-bit xxHash of bytes in 16 lowercase hexadecimal digits: the records' checksums and content names.
std::string Hash(std::string_view bytes);

// Lines that end in CR LF, the last one "end" and the checksum of every byte before it, so that a reader
// knows a file that was not written whole.
class CCheckedText
{
public:
    void Add(const std::string& line) { text += line + "\r\n"; }
    std::string Finish() const { return text + "end " + Hash(text) + "\r\n"; }

private:
    std::string text;
};

// The lines of a checked text without their checksum line; nothing when it was not written whole.
std::optional<std::vector<std::string>> CheckedLines(std::string_view bytes);

// line cut at its first parts - 1 separators; nothing when it has fewer.
std::vector<std::string> Split(const std::string& line, char separator, std::size_t parts);
