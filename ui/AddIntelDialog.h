#pragma once

#include "Dialog.h"
#include "MissionDefinition.h"

// Asks for one intel entry name; any text is taken as typed.
class CAddIntelDialog : public CDialog
{
public:
    explicit CAddIntelDialog(HWND parent);

    CString entry;

protected:
    void DoDataExchange(CDataExchange& dx) override;
};
