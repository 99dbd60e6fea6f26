#include "AdvancedDialog.h"

#include "AddBitmapDialog.h"
#include "DataExchange.h"
#include "resource.h"

namespace
{

constexpr int kCycle = 0;
// The colorkey components are typed as at most three digits; a longer text from a mission file is still
// shown whole and kept.
constexpr WPARAM kColorkeyDigits = 3;

} // namespace

CAdvancedDialog::CAdvancedDialog(HWND parent) : CDialog(IDD_EFFECTS, parent)
{
    MapCommand(IDC_MATERIALS, CBN_SELCHANGE, [this] { ShowSelection(); });
    MapCommand(IDC_ADD_MATERIAL, BN_CLICKED, [this] { OnAddMaterial(); });
    MapCommand(IDC_REMOVE_MATERIAL, BN_CLICKED, [this] { OnRemoveMaterial(); });
    StoreOnLeave(IDC_COLORKEY_RED, red, &CMissionDefinition::SetColorkeyRed);
    StoreOnLeave(IDC_COLORKEY_GREEN, green, &CMissionDefinition::SetColorkeyGreen);
    StoreOnLeave(IDC_COLORKEY_BLUE, blue, &CMissionDefinition::SetColorkeyBlue);
    StoreOnLeave(IDC_SCROLL_X, scrollX, &CMissionDefinition::SetScrollX);
    StoreOnLeave(IDC_SCROLL_Y, scrollY, &CMissionDefinition::SetScrollY);
    StoreOnLeave(IDC_SCROLL_Z, scrollZ, &CMissionDefinition::SetScrollZ);
    StoreOnLeave(IDC_INTERVAL, interval, &CMissionDefinition::SetAnimationInterval);
    MapCommand(IDC_TRANSPARENCY, BN_CLICKED, [this] { OnTransparency(); });
    MapCommand(IDC_SCROLL, BN_CLICKED, [this] { OnScroll(); });
    MapCommand(IDC_ANIMATION, BN_CLICKED, [this] { OnAnimation(); });
    MapCommand(IDC_CYCLE, BN_CLICKED, [this] { OnMode(); });
    MapCommand(IDC_OSCILLATED, BN_CLICKED, [this] { OnMode(); });
    MapCommand(IDC_ADD_TEXTURE, BN_CLICKED, [this] { OnAddTexture(); });
    MapCommand(IDC_REMOVE_TEXTURE, BN_CLICKED, [this] { OnRemoveTexture(); });
}

BOOL CAdvancedDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (int id : {IDC_COLORKEY_RED, IDC_COLORKEY_GREEN, IDC_COLORKEY_BLUE})
        SendMessageA(GetDlgItem(id), EM_LIMITTEXT, kColorkeyDigits, 0);
    materials.Fill(effects.materialNames);
    materials.Select(0);
    EnableSwitches(materials.Count() > 0);
    ShowSelection();
    // Without a material the effect controls still follow their clear check boxes.
    RunSwitchActions();
    return TRUE;
}

void CAdvancedDialog::DoDataExchange(CDataExchange& dx)
{
    dx.Control(IDC_MATERIALS, materials);
    dx.Control(IDC_TEXTURES, textureList);
    dx.Check(IDC_TRANSPARENCY, transparency);
    dx.Text(IDC_COLORKEY_RED, red);
    dx.Text(IDC_COLORKEY_GREEN, green);
    dx.Text(IDC_COLORKEY_BLUE, blue);
    dx.Check(IDC_SCROLL, scroll);
    dx.Text(IDC_SCROLL_X, scrollX);
    dx.Text(IDC_SCROLL_Y, scrollY);
    dx.Text(IDC_SCROLL_Z, scrollZ);
    dx.Check(IDC_ANIMATION, animation);
    dx.Radio(IDC_CYCLE, mode);
    dx.Text(IDC_INTERVAL, interval);
}

void CAdvancedDialog::StoreOnLeave(int id, CString& text, TextSetter store)
{
    // With no material selected the operation ignores the index.
    MapCommand(id, EN_KILLFOCUS,
               [this, &text, store]
               {
                   UpdateData(true);
                   (effects.*store)(materials.Selection(), text);
               });
}

void CAdvancedDialog::OnSwitch(const int& ticked, FlagSetter store, std::initializer_list<int> governed)
{
    UpdateData(true);
    (effects.*store)(materials.Selection(), ticked == BST_CHECKED);
    for (int id : governed)
        EnableControl(id, ticked == BST_CHECKED);
}

void CAdvancedDialog::OnTransparency()
{
    OnSwitch(transparency, &CMissionDefinition::SetTransparencyFlag,
             {IDC_COLORKEY_RED, IDC_COLORKEY_GREEN, IDC_COLORKEY_BLUE});
}

void CAdvancedDialog::OnScroll()
{
    OnSwitch(scroll, &CMissionDefinition::SetScrollFlag, {IDC_SCROLL_X, IDC_SCROLL_Y, IDC_SCROLL_Z});
}

void CAdvancedDialog::OnAnimation()
{
    OnSwitch(animation, &CMissionDefinition::SetAnimationFlag,
             {IDC_TEXTURES, IDC_INTERVAL, IDC_ADD_TEXTURE, IDC_REMOVE_TEXTURE, IDC_CYCLE, IDC_OSCILLATED});
}

void CAdvancedDialog::RunSwitchActions()
{
    OnTransparency();
    OnScroll();
    OnAnimation();
}

void CAdvancedDialog::EnableSwitches(bool enable)
{
    for (int id : {IDC_TRANSPARENCY, IDC_SCROLL, IDC_ANIMATION})
        EnableControl(id, enable);
}

void CAdvancedDialog::OnMode()
{
    UpdateData(true);
    effects.SetAnimationMode(materials.Selection(), mode == kCycle ? 0 : 1);
}

void CAdvancedDialog::ShowSelection()
{
    const int selected = materials.Selection();
    if (selected < 0)
    {
        red = green = blue = scrollX = scrollY = scrollZ = interval = "";
        mode = kCycle;
        textureList.Fill({});
        UpdateData(false);
        return;
    }
    const auto i = static_cast<std::size_t>(selected);
    transparency = effects.transparencyFlags.at(i) == "1";
    red = effects.colorkeyRed.at(i);
    green = effects.colorkeyGreen.at(i);
    blue = effects.colorkeyBlue.at(i);
    scroll = effects.scrollFlags.at(i) == "1";
    scrollX = effects.scrollX.at(i);
    scrollY = effects.scrollY.at(i);
    scrollZ = effects.scrollZ.at(i);
    animation = effects.animationFlags.at(i) == "1";
    mode = effects.animationModes.at(i) == "0" ? kCycle : 1;
    interval = effects.animationIntervals.at(i);
    UpdateData(false);
    // The check boxes' actions store their flags back and enable what they govern.
    RunSwitchActions();
    RefillTextures();
    textureList.Select(0);
}

void CAdvancedDialog::RefillTextures()
{
    const auto [first, end] = effects.TexturesOf(materials.Selection());
    textureList.Fill(CStringArray(effects.textures.begin() + first, effects.textures.begin() + end));
    textureList.SelectLast();
}

void CAdvancedDialog::OnAddMaterial()
{
    CAddBitmapDialog add(GetSafeHwnd());
    add.prompt = "New Material:";
    if (add.DoModal() != IDOK)
        return;
    effects.AddMaterial(add.name);
    materials.Add(add.name);
    materials.SelectLast();
    ShowSelection();
    EnableSwitches(true);
}

void CAdvancedDialog::OnRemoveMaterial()
{
    const int selected = materials.Selection();
    if (selected >= 0)
    {
        materials.Delete(selected);
        effects.RemoveMaterial(selected);
    }
    materials.Select(0);
    ShowSelection();
    if (materials.Count() > 0)
        return;
    transparency = scroll = animation = 0;
    mode = kCycle;
    UpdateData(false);
    RunSwitchActions();
    EnableSwitches(false);
}

void CAdvancedDialog::OnAddTexture()
{
    const int selected = materials.Selection();
    if (selected < 0)
        return;
    CAddBitmapDialog add(GetSafeHwnd());
    add.prompt = "New Texture:";
    if (add.DoModal() != IDOK)
        return;
    effects.AddTexture(selected, add.name);
    RefillTextures();
}

void CAdvancedDialog::OnRemoveTexture()
{
    const int position = textureList.Selection();
    if (position < 0)
        return;
    effects.RemoveTexture(materials.Selection(), position);
    RefillTextures();
}

void CopyEffects(const CMissionDefinition& from, CMissionDefinition& to)
{
    to.materialNames = from.materialNames;
    to.colorkeyRed = from.colorkeyRed;
    to.colorkeyGreen = from.colorkeyGreen;
    to.colorkeyBlue = from.colorkeyBlue;
    to.transparencyFlags = from.transparencyFlags;
    to.scrollFlags = from.scrollFlags;
    to.animationFlags = from.animationFlags;
    to.scrollX = from.scrollX;
    to.scrollY = from.scrollY;
    to.scrollZ = from.scrollZ;
    to.animationModes = from.animationModes;
    to.animationIntervals = from.animationIntervals;
    to.textureStarts = from.textureStarts;
    to.textures = from.textures;
}
