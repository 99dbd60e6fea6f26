#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

class CDataExchange;

// A dialog from a template in the program's resources, shown modally or modelessly. Controls and fields
// meet only in DoDataExchange; commands reach handlers by control id and notification code.
class CDialog
{
public:
    // The parent owns the dialog: a modal dialog disables it while it runs.
    explicit CDialog(int templateId, HWND parent = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog until EndDialog; gives its result, or -1 when it could not be created.
    INT_PTR DoModal();
    // Creates the dialog modelessly; false when it could not be created.
    bool Create();
    HWND GetSafeHwnd() const { return hwnd; }
    HWND GetDlgItem(int id) const;

    // false shows the fields in the controls, true reads the controls into the fields.
    void UpdateData(bool saveAndValidate = true);
    void EnableControl(int id, bool enable);
    void EndDialog(INT_PTR result);

protected:
    // Shows the fields; true leaves the focus to the system.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange& dx);
    // Reads the controls and ends the dialog with IDOK.
    virtual void OnOK();
    // Ends the dialog with IDCANCEL: the Cancel button, the Escape key and the close box.
    virtual void OnCancel();
    // Any message before the handlers below see it; a value is the message's result.
    virtual std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void MapCommand(int id, int code, std::function<void()> handler);

    // A modal dialog whose controls hold UTF-16, for text the code page cannot spell.
    bool unicodeControls = false;

private:
    struct CCommandHandler
    {
        int id;
        int code;
        std::function<void()> handler;
    };

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool Command(int id, int code);
    void Attach(HWND window);
    void Detach();

    int templateId;
    HWND parent;
    HWND hwnd = nullptr;
    bool modal = false;
    std::vector<CCommandHandler> handlers;
};

// Lets the window messages that wait on this thread through, serving the keyboard of modeless dialogs.
void PumpWaitingMessages();
