#pragma once

#include "Dialog.h"
#include "resource.h"

// A picture that explains the error dialog: what went wrong and that the game files were put back.
class CMoreInfoDialog : public CDialog
{
public:
    explicit CMoreInfoDialog(HWND parent = nullptr) : CDialog(IDD_MORE_INFORMATION, parent) {}
};
