#include "WindowFrontEnd.h"

#include "ErrorDialog.h"
#include "MessageBox.h"
#include "WaitCursor.h"

CWindowFrontEnd::CWindowFrontEnd(HWND owner) : owner(owner) {}

CWindowFrontEnd::~CWindowFrontEnd()
{
    for (; waitCursors > 0; --waitCursors)
        ::EndWaitCursor();
}

void CWindowFrontEnd::CreateProgress()
{
    progress = std::make_unique<CProgressDialog>(owner);
    progress->cancelAction = [this] { OnProgressCancel(); };
    // The template centres the window in the work area and shows it.
    if (!progress->Create())
        return;
    if (!progressCaption.empty())
        SetWindowTextA(progress->GetSafeHwnd(), progressCaption.c_str());
    SetForegroundWindow(progress->GetSafeHwnd());
    SetActiveWindow(progress->GetSafeHwnd());
}

void CWindowFrontEnd::SetOperationText(const std::string& text)
{
    progress->operationText = text;
}

void CWindowFrontEnd::SetDetailText(const std::string& text)
{
    progress->detailText = text;
}

void CWindowFrontEnd::SetPercentText(const std::string& text)
{
    progress->percentText = text;
}

void CWindowFrontEnd::SetStepSize(int step)
{
    progress->progressBar.SetStep(step);
}

void CWindowFrontEnd::SetPosition(int position)
{
    progress->progressBar.SetPos(position);
}

int CWindowFrontEnd::StepIt()
{
    return progress->progressBar.StepIt();
}

void CWindowFrontEnd::ShowTexts()
{
    HWND window = progress->GetSafeHwnd();
    if (!window)
        return;
    progress->UpdateData(false);
    // The run does not wait for the window to repaint itself.
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool CWindowFrontEnd::CancelRequested()
{
    pumping = true;
    PumpWaitingMessages();
    pumping = false;
    return std::exchange(cancelPending, false);
}

void CWindowFrontEnd::ShowError(const std::string& message, const std::string& reason, ErrorNotice)
{
    CErrorDialog dialog(BoxOwner());
    dialog.errorText = reason.empty() ? message : message + "\n" + reason;
    dialog.DoModal();
}

void CWindowFrontEnd::ShowMessage(const std::string& text)
{
    AppMessageBox(BoxOwner(), text, MB_SETFOREGROUND);
}

void CWindowFrontEnd::ShowRefusal(const std::string& message)
{
    AppMessageBox(BoxOwner(), message, MB_SETFOREGROUND);
}

HWND CWindowFrontEnd::BoxOwner() const
{
    // Owned, a box cannot hide behind another program while the game waits on the player's answer.
    return ProgressWindow() ? ProgressWindow() : owner;
}

void CWindowFrontEnd::BeginWaitCursor()
{
    ++waitCursors;
    ::BeginWaitCursor();
}

void CWindowFrontEnd::EndWaitCursor()
{
    --waitCursors;
    ::EndWaitCursor();
}

void CWindowFrontEnd::EndProgram()
{
    // No exception may unwind through the window procedures that may be on the stack.
    ExitProcess(0);
}

void CWindowFrontEnd::OnProgressCancel()
{
    if (pumping)
        cancelPending = true;
    else if (cancelAction)
        cancelAction();
}
