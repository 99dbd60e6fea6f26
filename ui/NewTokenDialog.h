#pragma once

#include "Dialog.h"
#include "MissionDefinition.h"

// Asks for one victory-condition token; its edit turns every letter typed to upper case.
class CNewTokenDialog : public CDialog
{
public:
    explicit CNewTokenDialog(HWND parent);

    CString token;

protected:
    void DoDataExchange(CDataExchange& dx) override;
};
