// kxvuz's streams on a real console, which Wine gives a process only where there is a display.
#include "ConsoleOutput.h"

#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <windows.h>

namespace
{

// The characters arrive, and the console's code page, which every later program in the window would get,
// stays as it was.
TEST(ConsoleStreams, WriteCodePageTextToAConsoleWithoutChangingItsCodePage)
{
    // A console of this process's own, whatever Wine attached it to.
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    const HANDLE console =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(console, INVALID_HANDLE_VALUE);
    const HANDLE previous = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, console);
    // Not the code page of the text: a console given the bytes would show other characters.
    ASSERT_TRUE(SetConsoleOutputCP(850));
    CONSOLE_SCREEN_BUFFER_INFO screen{};
    ASSERT_TRUE(GetConsoleScreenBufferInfo(console, &screen));
    {
        const CConsoleStreams streams;
        std::cout << "Caf\xE9 \x80" << std::flush;
        EXPECT_EQ(GetConsoleOutputCP(), 850u);
        const CUtf8Output utf8(std::cout);
        std::cout << " \xC5\x81" << std::flush;
    }
    EXPECT_EQ(GetConsoleOutputCP(), 850u);
    wchar_t shown[9] = {};
    DWORD read = 0;
    ReadConsoleOutputCharacterW(console, shown, 8, screen.dwCursorPosition, &read);
    EXPECT_EQ(std::wstring(shown, read), L"Caf\u00E9 \u20AC \u0141");

    SetStdHandle(STD_OUTPUT_HANDLE, previous);
    CloseHandle(console);
    FreeConsole();
}

} // namespace
