#pragma once

// kxvuz writes UTF-8. A Windows console shows it so only while its output code page is UTF-8, and the
// console keeps whatever page its programs leave it: this sets it for as long as it lives, and only where
// the output goes to a console (redirected output stays as it is). Elsewhere it does nothing.
class CUtf8ConsoleOutput
{
public:
    CUtf8ConsoleOutput();
    ~CUtf8ConsoleOutput();
    CUtf8ConsoleOutput(const CUtf8ConsoleOutput&) = delete;
    CUtf8ConsoleOutput& operator=(const CUtf8ConsoleOutput&) = delete;

private:
    // Windows only.
    [[maybe_unused]] unsigned previousPage = 0;
};
