#include "CodePage.h"
#include "DialogScript.h"
#include "InstallerSteps.h"
#include "TestGame.h"
#include "resource.h"

#include <dlgs.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace
{

namespace fs = std::filesystem;

// Enough for a slow machine; a program that hangs in a dialog fails the test instead of the suite.
constexpr DWORD kProcessTimeout = 60000;
const std::string kMissions = KX_SAMPLE_DIR "/missions/";

std::string WindowsPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// A program started in a folder of the test's choosing, its command line given in UTF-8.
class CProcess
{
public:
    CProcess(const std::string& program, const std::string& arguments, const fs::path& folder)
    {
        const std::string command = "\"" + WindowsPath(program) + "\" " + arguments;
        std::wstring wide = WideFromAnsi(command, CP_UTF8);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        started = CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                                 folder.wstring().c_str(), &startup, &info) != FALSE;
        EXPECT_TRUE(started) << command;
    }
    ~CProcess()
    {
        if (!started)
            return;
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    CProcess(const CProcess&) = delete;
    CProcess& operator=(const CProcess&) = delete;

    DWORD Id() const { return info.dwProcessId; }

    // Waits for the end of the process, letting this thread's messages through meanwhile; its exit status.
    DWORD Wait()
    {
        if (!started)
            return 99;
        const DWORD since = GetTickCount();
        DWORD woken = WAIT_TIMEOUT;
        while (GetTickCount() - since < kProcessTimeout)
        {
            woken = MsgWaitForMultipleObjects(1, &info.hProcess, FALSE,
                                              kProcessTimeout - (GetTickCount() - since), QS_ALLINPUT);
            if (woken != WAIT_OBJECT_0 + 1)
                break;
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&message);
        }
        if (woken != WAIT_OBJECT_0)
        {
            ADD_FAILURE() << "the process did not end";
            TerminateProcess(info.hProcess, 99);
            WaitForSingleObject(info.hProcess, INFINITE);
        }
        DWORD status = 0;
        GetExitCodeProcess(info.hProcess, &status);
        return status;
    }

private:
    PROCESS_INFORMATION info{};
    bool started = false;
};

// The dialogs show that the program carries its templates; these it needs beyond them.
TEST(ProgramFileTest, CarriesItsIconManifestAndVersion)
{
    HMODULE program = LoadLibraryExA(WindowsPath(KX_PROGRAM).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    const std::vector<std::pair<LPCSTR, int>> resources = {{RT_GROUP_ICON, IDI_KXVUZ}, {RT_MANIFEST, 1}};
    for (const auto& [type, id] : resources)
        EXPECT_NE(FindResourceA(program, MAKEINTRESOURCEA(id), type), nullptr) << id;
    FreeLibrary(program);
}

// As Windows shows it in a program file's properties.
TEST(ProgramFileTest, BothProgramsCarryTheProjectsVersion)
{
    for (const auto& [program, file] :
         {std::pair{KX_PROGRAM, "KXVuzOdezodure.exe"}, std::pair{KX_KXVUZ, "kxvuz.exe"}})
    {
        SCOPED_TRACE(file);
        const std::string path = WindowsPath(program);
        DWORD unused = 0;
        std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), &unused));
        ASSERT_FALSE(info.empty());
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT size = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
        const DWORD high = MAKELONG(KX_VERSION_MINOR, KX_VERSION_MAJOR);
        const DWORD low = MAKELONG(0, KX_VERSION_PATCH);
        EXPECT_EQ(fixed->dwFileVersionMS, high);
        EXPECT_EQ(fixed->dwFileVersionLS, low);
        EXPECT_EQ(fixed->dwProductVersionMS, high);
        EXPECT_EQ(fixed->dwProductVersionLS, low);
        for (const auto& [name, expected] :
             {std::pair{"FileVersion", KX_VERSION}, std::pair{"ProductVersion", KX_VERSION},
              std::pair{"OriginalFilename", file}})
        {
            char* value = nullptr;
            const std::string query = std::string("\\StringFileInfo\\040904b0\\") + name;
            ASSERT_TRUE(VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &size))
                << name;
            EXPECT_STREQ(value, expected) << name;
        }
    }
}

class ProgramTest : public ::testing::Test
{
protected:
    CTestGame game;
    // The program's working folder, which receives its log.
    CScratchFolder working;

    // The game directory as a user types it, without the trailing backslash.
    std::string TypedDirectory() const
    {
        std::string directory = game.Directory();
        directory.pop_back();
        return directory;
    }

    // Starts the dialog program, answers its dialogs as the steps say, and gives its exit status.
    DWORD RunProgram(const std::function<void(CDialogScript&)>& steps)
    {
        CProcess program(KX_PROGRAM, "", working.Path());
        CDialogScript script(program.Id());
        script.Ignore("Installing...");
        steps(script);
        const DWORD status = program.Wait();
        EXPECT_TRUE(script.Finished() && script.failures.empty())
            << ::testing::PrintToString(script.failures);
        return status;
    }

    // The Options dialog reached from the main dialog, the game directory typed into it and confirmed.
    void SetGameDirectory(CDialogScript& script) const
    {
        script.Then(kInstallerCaption, [](HWND main) { Click(main, IDC_OPTIONS); })
            .Then(kOptionsCaption,
                  [directory = TypedDirectory()](HWND options)
                  {
                      TypeDirectory(options, directory);
                      Click(options, IDOK);
                  });
    }

    // Start Installation, with the Confirm dialog checked and answered.
    void StartInstallation(CDialogScript& script, const std::string& missionLine, int answer) const
    {
        script.Then(kInstallerCaption, [](HWND main) { Click(main, IDC_START_INSTALLATION); })
            .Then(kConfirmCaption,
                  [directory = game.Directory(), missionLine, answer](HWND confirm)
                  {
                      EXPECT_EQ(ItemText(confirm, IDC_CONFIRM_DIRECTORY), directory);
                      EXPECT_EQ(ItemText(confirm, IDC_CONFIRM_MISSION_NAME), missionLine);
                      Click(confirm, answer);
                  });
    }
};

// The game directory typed into Options, and a mission loaded in Mission Setup; both confirmed.
void LoadMission(CDialogScript& script, const std::string& directory, const std::string& mission)
{
    script.Then(kInstallerCaption, [](HWND main) { Click(main, IDC_OPTIONS); })
        .Then(kOptionsCaption,
              [directory](HWND options)
              {
                  TypeDirectory(options, directory);
                  Click(options, IDC_OPTIONS_MISSION_SETUP);
              })
        .Then("Mission Setup", [](HWND setup) { Click(setup, IDC_SETUP_LOAD_MISSION); })
        .Then("Open",
              [mission](HWND files)
              {
                  SendDlgItemMessageA(files, cmb13, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(mission.c_str()));
                  Click(files, IDOK);
              })
        .Then("Mission Setup", [](HWND setup) { Click(setup, IDOK); })
        .Then(kOptionsCaption, [](HWND options) { Click(options, IDOK); });
}

// kxvuz with these words in a folder of its own; its exit status.
DWORD RunKxvuz(const std::string& arguments)
{
    CScratchFolder working;
    CProcess kxvuz(KX_KXVUZ, arguments, working.Path());
    return kxvuz.Wait();
}

TEST_F(ProgramTest, InstallsALoadedMissionExactlyAsKxvuzDoes)
{
    const auto before = game.GameFiles();
    const std::string mission = WindowsPath(kMissions + "Glasshouse03.kxm");
    const DWORD status = RunProgram(
        [&](CDialogScript& script)
        {
            LoadMission(script, TypedDirectory(), mission);
            StartInstallation(script, "Glasshouse", IDOK);
            script.Then("KXVuzOdezodure",
                        [](HWND box)
                        {
                            EXPECT_EQ(MessageBoxText(box), "Done");
                            Click(box, IDOK);
                        });
        });
    EXPECT_EQ(status, 0u);
    const std::string log = ReadBytes(working.Path() / "kxinstall.log");
    EXPECT_TRUE(log.ends_with("\r\nInstallation complete for Glasshouse.")) << log;

    CTestGame installedByKxvuz;
    std::string directory = installedByKxvuz.Directory();
    directory.pop_back();
    EXPECT_EQ(RunKxvuz("install --game \"" + directory + "\" \"" + mission + "\""), 0u);
    EXPECT_EQ(game.GameFiles(), installedByKxvuz.GameFiles());
    EXPECT_NE(game.GameFiles(), before);
}

// Two program runs install two missions; a third uninstalls the first from Installed Missions.
TEST_F(ProgramTest, UninstallsTheFirstOfTwoInstallationsExactlyAsKxvuzDoes)
{
    const std::vector<std::pair<std::string, std::string>> missions = {
        {WindowsPath(kMissions + "Harbor01.kxm"), "Harbor Lights"},
        {WindowsPath(kMissions + "Ridge02.kxm"), "Ridge Line"}};
    for (const auto& [mission, name] : missions)
        EXPECT_EQ(RunProgram(
                      [&](CDialogScript& script)
                      {
                          LoadMission(script, TypedDirectory(), mission);
                          StartInstallation(script, name, IDOK);
                          script.Then("KXVuzOdezodure", [](HWND box) { Click(box, IDOK); });
                      }),
                  0u);
    const DWORD status = RunProgram(
        [&](CDialogScript& script)
        {
            script.Ignore("Uninstalling...");
            SetGameDirectory(script);
            script.Then(kInstallerCaption, [](HWND main) { Click(main, IDC_INSTALLED_MISSIONS); })
                .Then(kInstalledCaption, [](HWND installed) { SelectRow(installed, 0); })
                .ThenAgain(kInstalledCaption,
                           [](HWND installed) { Click(installed, IDC_INSTALLED_UNINSTALL); })
                .Then("KXVuzOdezodure", [](HWND box) { Click(box, IDYES); })
                .Then("KXVuzOdezodure",
                      [](HWND box)
                      {
                          EXPECT_EQ(MessageBoxText(box), "Harbor Lights was removed.");
                          Click(box, IDOK);
                      })
                .Then(kInstalledCaption, [](HWND installed) { Click(installed, IDCANCEL); })
                .Then(kInstallerCaption, [](HWND main) { Click(main, IDCANCEL); });
        });
    EXPECT_EQ(status, 0u);

    CTestGame byKxvuz;
    std::string directory = byKxvuz.Directory();
    directory.pop_back();
    const std::string game = "--game \"" + directory + "\" ";
    for (const auto& [mission, name] : missions)
        EXPECT_EQ(RunKxvuz("install " + game + "\"" + mission + "\""), 0u) << name;
    EXPECT_EQ(RunKxvuz("uninstall " + game + "1"), 0u);
    EXPECT_EQ(this->game.GameFiles(), byKxvuz.GameFiles());
}

// kxvuz.exe takes its words in UTF-16, so that a mission in a folder whose name has a letter the code page
// lacks is read, and what it converts is written there.
TEST_F(ProgramTest, KxvuzReadsAndWritesMissionFilesInAFolderTheCodePageCannotSpell)
{
    const fs::path foreign = working.ForeignFolder();
    WriteBytes(foreign / "Glasshouse03.kxm", ReadBytes(kMissions + "Glasshouse03.kxm"));
    const std::string mission = "\"" + Utf8Of(foreign / "Glasshouse03.kxm") + "\"";
    CProcess convert(KX_KXVUZ, "convert " + mission + " \"" + Utf8Of(foreign / "out.json") + "\"",
                     working.Path());
    EXPECT_EQ(convert.Wait(), 0u);
    EXPECT_EQ(ReadBytes(foreign / "out.json"), ReadBytes(kMissions + "Glasshouse03.json"));
}

TEST_F(ProgramTest, NoThenCancellingOptionsAndTheMainDialogTouchesNothing)
{
    const auto before = game.GameFiles();
    const DWORD status = RunProgram(
        [&](CDialogScript& script)
        {
            SetGameDirectory(script);
            StartInstallation(script, "(No mission name specified)", IDCANCEL);
            script.Then(kOptionsCaption, [](HWND options) { Click(options, IDCANCEL); })
                .Then(kInstallerCaption, [](HWND main) { Click(main, IDCANCEL); });
        });
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(game.GameFiles(), before);
    EXPECT_FALSE(fs::exists(game.Path("data/Backup")));
    EXPECT_FALSE(fs::exists(working.Path() / "kxinstall.log"));
}

TEST_F(ProgramTest, AGameDirectoryWithoutTheGameShowsTheErrorAndEndsWithStatusZero)
{
    fs::remove(game.Path("Korvex.exe"));
    const auto before = game.GameFiles();
    const DWORD status = RunProgram(
        [&](CDialogScript& script)
        {
            SetGameDirectory(script);
            StartInstallation(script, "(No mission name specified)", IDOK);
            script.Then("KX VUZ Odezodure Error!",
                        [directory = game.Directory()](HWND error)
                        {
                            EXPECT_EQ(ItemText(error, IDC_ERROR_TEXT),
                                      "Could not find Korvex.exe in the directory " + directory + ".");
                            Click(error, IDOK);
                        });
        });
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(game.GameFiles(), before);
    EXPECT_FALSE(fs::exists(game.Path("data/Backup")));
    EXPECT_TRUE(fs::exists(working.Path() / "kxinstall.log"));
}

} // namespace
