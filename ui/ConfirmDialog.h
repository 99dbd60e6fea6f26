#pragma once

#include "Dialog.h"

#include <string>

// Shows the game directory and the mission once more before a run: Yes is IDOK, No is IDCANCEL.
class CConfirmDialog : public CDialog
{
public:
    explicit CConfirmDialog(HWND parent = nullptr);

    std::string directoryText;
    std::string missionNameText;

protected:
    void DoDataExchange(CDataExchange& dx) override;
};
