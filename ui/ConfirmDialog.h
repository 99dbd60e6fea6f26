#pragma once

#include "Dialog.h"
#include "MissionDefinition.h"

#include <string>

// Shows the game directory and the mission once more before a run, and what the checks found in them: Yes is
// IDOK, No is IDCANCEL.
class CConfirmDialog : public CDialog
{
public:
    explicit CConfirmDialog(HWND parent = nullptr);

    std::string directoryText;
    std::string missionNameText;
    // What the checks found, one finding a line.
    std::string findingsText;
    // What Show Changes... tries, writing nothing.
    std::string gameDirectory;
    CMissionDefinition mission;

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    void OnShowChanges();
};
