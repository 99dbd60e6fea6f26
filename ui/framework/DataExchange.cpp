#include "DataExchange.h"

#include "CodePage.h"
#include "Control.h"

void CDataExchange::Text(int id, std::string& value) const
{
    HWND control = GetDlgItem(dialog, id);
    if (saveAndValidate)
        value = WindowText(control);
    else if (WindowText(control) != value)
        // Setting the same text again would only make the control flicker.
        SetWindowTextA(control, value.c_str());
}

void CDataExchange::PathText(int id, std::string& value) const
{
    if (!saveAndValidate)
        return Text(id, value);
    HWND control = GetDlgItem(dialog, id);
    value = AnsiFromWide(WideWindowText(control), GetACP()).value_or(WindowText(control));
}

void CDataExchange::Check(int id, int& value) const
{
    HWND control = GetDlgItem(dialog, id);
    if (saveAndValidate)
        value = static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0));
    else
        SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void CDataExchange::Radio(int firstId, int& index) const
{
    if (saveAndValidate)
        index = -1;
    int position = 0;
    for (HWND button = GetDlgItem(dialog, firstId); button; ++position)
    {
        if (saveAndValidate)
        {
            if (SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED)
                index = position;
        }
        else
            SendMessageA(button, BM_SETCHECK, position == index ? BST_CHECKED : BST_UNCHECKED, 0);
        button = GetWindow(button, GW_HWNDNEXT);
        if (button && ((GetWindowLongA(button, GWL_STYLE) & WS_GROUP) ||
                       !(SendMessageA(button, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)))
            break;
    }
}

void CDataExchange::ListSelection(int id, int& index) const
{
    HWND control = GetDlgItem(dialog, id);
    if (saveAndValidate)
        index = static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0));
    else
        SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CDataExchange::Control(int id, CControl& control) const
{
    control.Attach(GetDlgItem(dialog, id));
}

std::string WindowText(HWND window)
{
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)), '\0');
    const int copied = GetWindowTextA(window, text.data(), static_cast<int>(text.size()) + 1);
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

std::wstring WideWindowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)), L'\0');
    const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()) + 1);
    text.resize(static_cast<std::size_t>(copied));
    return text;
}
