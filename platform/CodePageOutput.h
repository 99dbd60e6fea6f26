#pragma once

#include <ostream>
#include <streambuf>

// Text in the code page, written on to another stream buffer as the system's text (SystemTextFromCodePage).
// Nothing is held back, so what is written here and straight to the other buffer keeps its order.
class CCodePageOutputBuffer : public std::streambuf
{
public:
    explicit CCodePageOutputBuffer(std::streambuf& target) : target(target) {}

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize size) override;
    int sync() override;

private:
    std::streambuf& target;
};

// A stream over CCodePageOutputBuffer, onto the buffer of target.
class CCodePageOutput : public std::ostream
{
public:
    explicit CCodePageOutput(std::ostream& target);

private:
    CCodePageOutputBuffer buffer;
};
