#pragma once

#include "Dialog.h"
#include "DropDownList.h"
#include "MissionDefinition.h"

#include <initializer_list>

// The bitmap effects of the mission's materials: colorkey transparency, scrolling and animation, with the
// textures of each material.
class CAdvancedDialog : public CDialog
{
public:
    explicit CAdvancedDialog(HWND parent);

    // Only its effect lists are used (see CopyEffects); every change goes through its operations.
    CMissionDefinition effects;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;

private:
    using TextSetter = void (CMissionDefinition::*)(int, const CString&);
    using FlagSetter = void (CMissionDefinition::*)(int, bool);

    void StoreOnLeave(int id, CString& text, TextSetter store);
    // The click of an effect's check box: its flag for the selected material, and the controls it governs.
    void OnSwitch(const int& ticked, FlagSetter store, std::initializer_list<int> governed);
    void OnTransparency();
    void OnScroll();
    void OnAnimation();
    void RunSwitchActions();
    void EnableSwitches(bool enable);
    void OnMode();
    // Shows the selected material in every control; with none, the texts, the mode and the textures empty.
    void ShowSelection();
    void RefillTextures();
    void OnAddMaterial();
    void OnRemoveMaterial();
    void OnAddTexture();
    void OnRemoveTexture();

    CDropDownList materials;
    CDropDownList textureList;
    CString red;
    CString green;
    CString blue;
    CString scrollX;
    CString scrollY;
    CString scrollZ;
    CString interval;
    int transparency = 0;
    int scroll = 0;
    int animation = 0;
    // 0 cycle, 1 oscillated.
    int mode = 0;
};

// The fourteen lists that the bitmap effects dialog edits: the per-material lists, the texture starts and
// the textures.
void CopyEffects(const CMissionDefinition& from, CMissionDefinition& to);
