#include "ConsoleOutput.h"

#ifdef _WIN32
#include "CodePage.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <optional>

namespace
{

// How many of the bytes at the start of text are whole characters: a double-byte character's lead byte,
// or the start of a UTF-8 sequence, at the end waits for the rest.
std::size_t WholeCharacters(std::string_view text, bool utf8, unsigned codePage)
{
    if (!utf8)
    {
        // From the start: only there is it known which bytes begin a character.
        for (std::size_t i = 0; i < text.size(); ++i)
            if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[i])) && ++i == text.size())
                return i - 1;
        return text.size();
    }
    // A sequence is at most four bytes: its lead byte is among the last four.
    for (std::size_t back = 1; back <= std::min<std::size_t>(4, text.size()); ++back)
    {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue;
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? text.size() - back : text.size();
    }
    return text.size();
}

bool WriteToConsole(HANDLE console, std::wstring_view text)
{
    while (!text.empty())
    {
        // Old consoles take no more than about 64 KB in one call.
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), 8192));
        DWORD written = 0;
        if (!WriteConsoleW(console, text.data(), chunk, &written, nullptr) || written == 0)
            return false;
        text.remove_prefix(written);
    }
    return true;
}

} // namespace

CConsoleWriter::CConsoleWriter(Sink sink, unsigned codePage) : sink(std::move(sink)), codePage(codePage) {}

CConsoleWriter::~CConsoleWriter()
{
    Drain(true);
}

void CConsoleWriter::SetUtf8(bool toUtf8)
{
    Drain(true);
    utf8 = toUtf8;
}

CConsoleWriter::int_type CConsoleWriter::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize CConsoleWriter::xsputn(const char* text, std::streamsize count)
{
    pending.append(text, static_cast<std::size_t>(count));
    if (std::memchr(text, '\n', static_cast<std::size_t>(count)) && !Drain(false))
        return 0;
    return count;
}

int CConsoleWriter::sync()
{
    return Drain(false) ? 0 : -1;
}

bool CConsoleWriter::Drain(bool everything)
{
    const std::size_t whole = everything ? pending.size() : WholeCharacters(pending, utf8, codePage);
    if (whole == 0)
        return true;
    const std::wstring text =
        WideFromAnsi(std::string_view(pending).substr(0, whole), utf8 ? CP_UTF8 : codePage);
    pending.erase(0, whole);
    return sink(text);
}

struct CConsoleStreams::CState
{
    // One stream writing to its console, and the buffer it had before.
    struct CRedirect
    {
        CRedirect(std::ostream& stream, HANDLE console)
            : stream(stream), previous(stream.rdbuf()),
              writer([console](std::wstring_view text) { return WriteToConsole(console, text); }, GetACP())
        {
            stream.rdbuf(&writer);
        }
        ~CRedirect()
        {
            stream.flush();
            stream.rdbuf(previous);
        }
        CRedirect(const CRedirect&) = delete;
        CRedirect& operator=(const CRedirect&) = delete;

        std::ostream& stream;
        std::streambuf* previous;
        CConsoleWriter writer;
    };
    std::optional<CRedirect> out;
    std::optional<CRedirect> err;
};

CConsoleStreams::CConsoleStreams() : state(std::make_unique<CState>())
{
    const auto redirect = [](std::optional<CState::CRedirect>& to, std::ostream& stream, DWORD id)
    {
        HANDLE handle = GetStdHandle(id);
        DWORD mode = 0;
        if (GetConsoleMode(handle, &mode))
            to.emplace(stream, handle);
    };
    redirect(state->out, std::cout, STD_OUTPUT_HANDLE);
    redirect(state->err, std::cerr, STD_ERROR_HANDLE);
}

CConsoleStreams::~CConsoleStreams() = default;

CUtf8Output::CUtf8Output(std::ostream& out) : writer(dynamic_cast<CConsoleWriter*>(out.rdbuf()))
{
    if (writer)
        writer->SetUtf8(true);
}

CUtf8Output::~CUtf8Output()
{
    if (writer)
        writer->SetUtf8(false);
}

#else

struct CConsoleStreams::CState
{
};

CConsoleStreams::CConsoleStreams() = default;
CConsoleStreams::~CConsoleStreams() = default;

CUtf8Output::CUtf8Output(std::ostream&) {}
CUtf8Output::~CUtf8Output() = default;

#endif
