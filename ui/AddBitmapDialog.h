#pragma once

#include "Dialog.h"
#include "MissionDefinition.h"

// Asks for one name, a material's or a texture's, which ends in ".bmp" once its edit is left.
class CAddBitmapDialog : public CDialog
{
public:
    explicit CAddBitmapDialog(HWND parent);

    // Set by the caller: "New Material:" or "New Texture:".
    CString prompt = "New Texture:";
    CString name;

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    void OnBrowse();
    void OnNameLeave();
};
