// The console writer of kxvuz on Windows, over a sink that a test can read and over a real console.
#include "ConsoleOutput.h"

#include <gtest/gtest.h>

#include <iostream>
#include <ostream>
#include <string>
#include <vector>
#include <windows.h>

namespace
{

// Bytes written, and whether the stream is flushed after them.
struct Write
{
    std::string bytes;
    bool flush = false;
};

struct WriterCase
{
    const char* what;
    unsigned codePage;
    bool utf8;
    std::vector<Write> writes;
    // What the sink has been given once the writes are done, call by call.
    std::vector<std::wstring> given;
};

const WriterCase kWriterCases[] = {
    {"code-page text reaches the sink a line at a time",
     1252,
     false,
     {{"Caf\xE9 \x80\n"}, {"Halt"}},
     {L"Caf\u00E9 \u20AC\n"}},
    {"a flush hands on an unfinished line", 1252, false, {{"Caf\xE9", true}}, {L"Caf\u00E9"}},
    {"code-page bytes that would be UTF-8 stay code-page text",
     1252,
     false,
     {{"\xC3\xA9\n"}},
     {L"\u00C3\u00A9\n"}},
    {"a double-byte character cut by a flush arrives whole",
     932,
     false,
     {{"a\x95", true}, {"\x5C\n"}},
     {L"a", L"\u8868\n"}},
    {"UTF-8 where marked", 1252, true, {{"Caf\xC3\xA9 \xE2\x82\xAC\n"}}, {L"Caf\u00E9 \u20AC\n"}},
    {"a UTF-8 character cut by a flush arrives whole",
     1252,
     true,
     {{"\xE2\x82", true}, {"\xAC\xF0\x9F", true}, {"\x98\x80\n"}},
     {L"\u20AC", L"\U0001F600\n"}},
};

TEST(ConsoleWriter, GivesTheSinkUtf16OfWholeCharacters)
{
    for (const WriterCase& c : kWriterCases)
    {
        SCOPED_TRACE(c.what);
        std::vector<std::wstring> given;
        CConsoleWriter writer(
            [&](std::wstring_view text)
            {
                given.emplace_back(text);
                return true;
            },
            c.codePage);
        writer.SetUtf8(c.utf8);
        std::ostream stream(&writer);
        for (const Write& write : c.writes)
        {
            stream << write.bytes;
            if (write.flush)
                stream.flush();
        }
        EXPECT_EQ(given, c.given);
    }
}

TEST(ConsoleWriter, KeepsEachTextsEncodingAndHandsOnTheRestWhenItEnds)
{
    std::vector<std::wstring> given;
    {
        CConsoleWriter writer(
            [&](std::wstring_view text)
            {
                given.emplace_back(text);
                return true;
            },
            1252);
        std::ostream stream(&writer);
        stream << "\xE9";
        writer.SetUtf8(true);
        stream << "\xC3\xA9";
        writer.SetUtf8(false);
        stream << "\xE9";
    }
    EXPECT_EQ(given, (std::vector<std::wstring>{L"\u00E9", L"\u00E9", L"\u00E9"}));
}

// To a pipe or a file kxvuz writes its bytes as they are.
TEST(ConsoleStreams, LeaveAStreamThatIsNoConsoleAsItIs)
{
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    ASSERT_TRUE(CreatePipe(&reader, &writer, nullptr, 0));
    const HANDLE previous = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, writer);
    std::streambuf* const buffer = std::cout.rdbuf();
    {
        const CConsoleStreams streams;
        EXPECT_EQ(std::cout.rdbuf(), buffer);
    }
    SetStdHandle(STD_OUTPUT_HANDLE, previous);
    CloseHandle(writer);
    CloseHandle(reader);
}

} // namespace
