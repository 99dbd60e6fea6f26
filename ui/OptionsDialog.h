#pragma once

#include "Dialog.h"
#include "MissionDefinition.h"

#include <string>

// Where the game installs itself, used until the user names another folder.
inline constexpr const char kDefaultGameDirectory[] = "C:\\Program Files\\Veltrane\\Korvex\\";

// The game directory, typed or browsed to, and the doors to Mission Setup and About.
class COptionsDialog : public CDialog
{
public:
    explicit COptionsDialog(HWND parent = nullptr);

    // Ends in a backslash whenever the dialog ends with OK: the edit loses the focus when the dialog closes.
    std::string directory = kDefaultGameDirectory;
    // What Mission Setup edits. Unlike the directory, the opener takes it back after Cancel too, so that
    // what the user confirmed in Mission Setup stays.
    CMissionDefinition mission;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;

private:
    void ShowWhetherGameIsThere();
    void OnDirectoryKillFocus();
    void OnBrowse();
    void OnMissionSetup();
};
