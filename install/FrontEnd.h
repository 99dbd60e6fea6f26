#pragma once

#include <string>

// What an error says of the game files below its message.
enum class ErrorNotice
{
    // Nothing: the message says it all, as where a restore could not finish.
    None,
    // The run puts them back next.
    Restore,
    // The run stops without having changed any.
    NothingChanged,
};

// What the installation run needs of the windows, or of whatever stands in for them.
class IInstallFrontEnd
{
public:
    virtual ~IInstallFrontEnd() = default;

    // The progress window: created, shown and made active.
    virtual void CreateProgress() = 0;
    virtual void SetOperationText(const std::string& text) = 0;
    virtual void SetDetailText(const std::string& text) = 0;
    virtual void SetPercentText(const std::string& text) = 0;
    virtual void SetStepSize(int step) = 0;
    virtual void SetPosition(int position) = 0;
    // Advances the bar by its step size, never beyond 100, and gives the new position.
    virtual int StepIt() = 0;
    // Shows the three texts at once.
    virtual void ShowTexts() = 0;

    // Lets the front end serve its user between steps; true when the user asked to cancel.
    virtual bool CancelRequested() = 0;

    // The error dialog: returns when the user dismisses it.
    // reason: the system's words for the file operation that failed, or empty; shown on a line of its own.
    virtual void ShowError(const std::string& message, const std::string& reason,
                           ErrorNotice notice = ErrorNotice::None) = 0;
    // A plain message box with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // Why the run will not start: nothing was written, so the error dialog's promise of a restore is out of
    // place.
    virtual void ShowRefusal(const std::string& message) { ShowError(message, ""); }
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;

    // Never returns: the window front end ends the process, the others unwind to the top of the run.
    [[noreturn]] virtual void EndProgram() = 0;
};

// Thrown by front ends that end the program by unwinding to the top of the run.
struct CProgramEnd
{
};
