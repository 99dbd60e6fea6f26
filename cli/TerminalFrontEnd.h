#pragma once

#include "ProgressState.h"

#include <ostream>

// The run's front end in a terminal: progress and errors on one stream, "Done" on the other.
class CTerminalFrontEnd : public CProgressState
{
public:
    // A terminal gets one progress line redrawn in place; anything else gets a line per step.
    CTerminalFrontEnd(std::ostream& out, std::ostream& progress, bool progressIsTerminal);

    void CreateProgress() override {}
    void ShowTexts() override;
    bool CancelRequested() override;
    void ShowError(const std::string& message, const std::string& reason, ErrorNotice notice) override;
    void ShowMessage(const std::string& text) override;
    void ShowRefusal(const std::string& message) override;
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    [[noreturn]] void EndProgram() override;

private:
    // Ends a progress line that is being redrawn, so that what follows starts on a line of its own.
    void EndProgressLine();

    std::ostream& out;
    std::ostream& progress;
    bool redraw;
    bool lineOpen = false;
};

// Safe to call from a signal handler: the run cancels before its next step.
void RequestCancel();
// Takes a cancel that was requested and not yet taken: kxvuz restore stops before its next file.
bool TakeCancelRequest();
