#include "WindowRunScenario.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

int main(int argc, char** argv)
{
    // A crash ends the process at once instead of waiting in Wine's crash dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

    // The window run tests start this program again for each run, which ends its own process.
    if (argc > 1 && std::string(argv[1]) == "--scenario")
    {
        try
        {
            return RunWindowScenario(std::vector<std::string>(argv + 2, argv + argc));
        }
        catch (const std::exception& error)
        {
            std::cerr << "scenario " << argv[2] << ": " << error.what() << '\n';
            return 4;
        }
    }

    ::testing::InitGoogleTest(&argc, argv);
    // Only the screenshots of this run stay.
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(KX_SCREENSHOT_DIR, error))
        if (entry.path().extension() == ".png")
            std::filesystem::remove(entry.path(), error);
    return RUN_ALL_TESTS();
}
