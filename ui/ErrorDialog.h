#pragma once

#include "Dialog.h"

#include <string>

// The error of a run, with the notice that the game files will be restored.
class CErrorDialog : public CDialog
{
public:
    explicit CErrorDialog(HWND parent = nullptr);

    std::string errorText;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;

private:
    void OnMoreInformation();
};
