#pragma once

#include "FrontEnd.h"
#include "ProgressDialog.h"

#include <functional>
#include <memory>
#include <utility>

// An installation run shown in windows: the progress window, the error dialog and message boxes.
class CWindowFrontEnd : public IInstallFrontEnd
{
public:
    // The owner is the main window, or nothing. It owns the progress window, which owns the run's boxes,
    // and a refusal before the progress window exists: a modal window that ends enables its owner again,
    // and the main window stays disabled for the whole run.
    explicit CWindowFrontEnd(HWND owner);
    // A run that failed or was cancelled leaves its hourglass on; work that outlives it takes it off here.
    ~CWindowFrontEnd() override;
    CWindowFrontEnd(const CWindowFrontEnd&) = delete;
    CWindowFrontEnd& operator=(const CWindowFrontEnd&) = delete;

    // What a Cancel of the progress window runs while a dialog or message box of the run is open: the
    // run's cancel. Between steps a Cancel is only noted, and the run asks for it.
    void SetCancelAction(std::function<void()> action) { cancelAction = std::move(action); }
    HWND ProgressWindow() const { return progress ? progress->GetSafeHwnd() : nullptr; }
    // In place of the template's "Installing...", for work other than an installation.
    void SetProgressCaption(std::string caption) { progressCaption = std::move(caption); }

    void CreateProgress() override;
    void SetOperationText(const std::string& text) override;
    void SetDetailText(const std::string& text) override;
    void SetPercentText(const std::string& text) override;
    void SetStepSize(int step) override;
    void SetPosition(int position) override;
    int StepIt() override;
    void ShowTexts() override;
    bool CancelRequested() override;
    // The error dialog's notice is fixed, whatever the run says of the game files.
    void ShowError(const std::string& message, const std::string& reason, ErrorNotice) override;
    void ShowMessage(const std::string& text) override;
    void ShowRefusal(const std::string& message) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    [[noreturn]] void EndProgram() override;

private:
    void OnProgressCancel();
    HWND BoxOwner() const;

    HWND owner;
    // Lives until the process ends, or this front end does.
    std::unique_ptr<CProgressDialog> progress;
    std::function<void()> cancelAction;
    std::string progressCaption;
    int waitCursors = 0;
    bool pumping = false;
    bool cancelPending = false;
};
