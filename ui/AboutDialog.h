#pragma once

#include "Dialog.h"
#include "resource.h"

// The program's name, version and purpose, in a picture.
class CAboutDialog : public CDialog
{
public:
    explicit CAboutDialog(HWND parent = nullptr) : CDialog(IDD_ABOUT, parent) {}
};
