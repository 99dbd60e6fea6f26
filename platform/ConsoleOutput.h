#pragma once

#include <memory>
#include <ostream>
#include <streambuf>

#ifdef _WIN32
#include <functional>
#include <string>
#include <string_view>
#endif

// kxvuz writes code-page text, and UTF-8 where it quotes a mission's texts. A Windows console is given
// either as UTF-16, so that its own code page, which outlives the program, is never touched.

#ifdef _WIN32
// What is written, as UTF-16 for a sink such as WriteConsoleW; a line reaches the sink when it ends and
// whatever is pending when the stream is flushed, but never part of a character.
class CConsoleWriter : public std::streambuf
{
public:
    // True when the sink took all of the text.
    using Sink = std::function<bool(std::wstring_view)>;

    // Bytes are text in codePage, until SetUtf8 says otherwise.
    CConsoleWriter(Sink sink, unsigned codePage);
    ~CConsoleWriter() override;
    CConsoleWriter(const CConsoleWriter&) = delete;
    CConsoleWriter& operator=(const CConsoleWriter&) = delete;

    // What was written before keeps the encoding it was written in.
    void SetUtf8(bool utf8);

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    // Hands the whole characters pending to the sink, all of them when everything is to go.
    bool Drain(bool everything);

    Sink sink;
    unsigned codePage;
    bool utf8 = false;
    std::string pending;
};
#endif

// Standard output and error, where they are a Windows console, go through WriteConsoleW for as long as this
// lives; to a pipe or a file they are the bytes as written. Elsewhere it does nothing.
class CConsoleStreams
{
public:
    CConsoleStreams();
    ~CConsoleStreams();
    CConsoleStreams(const CConsoleStreams&) = delete;
    CConsoleStreams& operator=(const CConsoleStreams&) = delete;

private:
    struct CState;
    std::unique_ptr<CState> state;
};

// What is written to out while this lives is UTF-8 rather than code-page text; only a console writer behind
// out needs telling.
class CUtf8Output
{
public:
    explicit CUtf8Output(std::ostream& out);
    ~CUtf8Output();
    CUtf8Output(const CUtf8Output&) = delete;
    CUtf8Output& operator=(const CUtf8Output&) = delete;

#ifdef _WIN32
private:
    CConsoleWriter* writer;
#endif
};
