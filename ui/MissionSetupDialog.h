#pragma once

#include "Dialog.h"
#include "DropDownList.h"
#include "MissionDefinition.h"
#include "ToolTips.h"

// Everything the user states about the mission to install, with the mission file's Save and Load.
class CMissionSetupDialog : public CDialog
{
public:
    CMissionSetupDialog(const CMissionDefinition& mission, HWND parent);

    // The dialog's own copy: the caller takes it back only when DoModal() gives IDOK.
    CMissionDefinition mission;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    void OnOK() override;

private:
    // Reads the controls; false, with the message shown, when the mission is incomplete or names an
    // illegal file. After "Please fill in all information." the focus is on the first empty field.
    bool ReadValidMission();
    // Reads the controls, normalises one file name and shows the fields again.
    void NormaliseOnLeave(CString& field, const char* extension);
    // Fills both lists from the record, selects their first entries and shows everything.
    void Refresh();
    void ShowSelectedDescription();
    // The controls a multiplayer-only mission does not use are disabled.
    void ApplyMultiplayerRule();

    void OnAddIntelEntry();
    void OnRemoveIntelEntry();
    void OnAddToken();
    void OnRemoveToken();
    void OnDescriptionLeave();
    void OnKitFiles();
    void OnEffects();
    void OnSave();
    void OnLoad();

    CDropDownList intelList;
    CDropDownList tokenList;
    // What the description edit shows: the selected token's description.
    CString description;
    CToolTips tips;
};
