#pragma once

#include "Dialog.h"
#include "ProgressCtrl.h"

#include <functional>
#include <string>

// The modeless window that follows an installation run: mission, current step, bar, percentage, Cancel.
class CProgressDialog : public CDialog
{
public:
    explicit CProgressDialog(HWND owner);

    CProgressCtrl progressBar;
    std::string percentText;
    std::string operationText;
    std::string detailText;
    // Run by the Cancel button, the Escape key and the close box; the window itself stays.
    std::function<void()> cancelAction;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    void OnCancel() override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};
