#pragma once

#include "Dialog.h"
#include "MissionDefinition.h"

// The four kit files that the mission list names for the mission.
class CKitFilesDialog : public CDialog
{
public:
    explicit CKitFilesDialog(HWND parent);

    CString reconKit;
    CString assaultKit;
    CString demolitionsKit;
    CString electronicsKit;

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    void NormaliseOnLeave(CString& kit, bool trim);
};
