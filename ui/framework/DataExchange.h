#pragma once

#include <windows.h>

#include <string>

class CControl;

// One exchange between a dialog's fields and its controls: each helper either shows its field in the
// control or reads the control into the field, as saveAndValidate says.
class CDataExchange
{
public:
    CDataExchange(HWND dialog, bool saveAndValidate) : saveAndValidate(saveAndValidate), dialog(dialog) {}

    const bool saveAndValidate;

    // An edit or a label.
    void Text(int id, std::string& value) const;
    // An edit that names a path: read as UTF-16, so that a letter the code page lacks comes back as "?"
    // instead of as a lookalike that names another folder.
    void PathText(int id, std::string& value) const;
    // A check box: 0 clear, 1 ticked.
    void Check(int id, int& value) const;
    // The radio buttons from firstId to the next control that starts a group: the index of the chosen
    // one, -1 for none.
    void Radio(int firstId, int& index) const;
    // A drop-down list: the selected position, -1 for none.
    void ListSelection(int id, int& index) const;
    // Attaches a control object to its window.
    void Control(int id, CControl& control) const;

private:
    HWND dialog;
};

std::string WindowText(HWND window);
// The same in UTF-16, whatever the code page.
std::wstring WideWindowText(HWND window);
