#include "CodePageOutput.h"

#include "CodePage.h"

#include <string>
#include <string_view>

CCodePageOutputBuffer::int_type CCodePageOutputBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize CCodePageOutputBuffer::xsputn(const char* text, std::streamsize size)
{
    const std::string system = SystemTextFromCodePage(std::string_view(text, static_cast<std::size_t>(size)));
    const auto length = static_cast<std::streamsize>(system.size());
    // A part of a character written is none written: the stream reports the failure.
    return target.sputn(system.data(), length) == length ? size : 0;
}

int CCodePageOutputBuffer::sync()
{
    return target.pubsync();
}

// The buffer is a member, made after the stream that points to it: the stream takes it once it exists.
CCodePageOutput::CCodePageOutput(std::ostream& target) : std::ostream(nullptr), buffer(*target.rdbuf())
{
    rdbuf(&buffer);
}
