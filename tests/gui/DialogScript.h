#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Answers the dialogs that the code under test opens on this thread, as a user would. A thread timer,
// which keeps firing inside the loops of modal dialogs and message boxes, looks for the topmost enabled
// dialog window of the thread and runs the next step once that window has the step's caption.
// Steps act by posting (clicks, keys), so that a dialog they open is answered by the next step.
class CDialogScript
{
public:
    using Action = std::function<void(HWND dialog)>;

    CDialogScript();
    // Answers the dialogs of another process instead; the timer needs this thread to let its messages
    // through while it waits for that process.
    explicit CDialogScript(DWORD processId);
    ~CDialogScript();
    CDialogScript(const CDialogScript&) = delete;
    CDialogScript& operator=(const CDialogScript&) = delete;

    // Waits for a dialog other than the one the previous step acted on.
    CDialogScript& Then(const std::string& caption, Action action);
    // May act on the dialog of the previous step again, on a later tick: whatever the previous step
    // posted has been handled by then, since the timer only fires on an empty queue.
    CDialogScript& ThenAgain(const std::string& caption, Action action);
    // Windows with this caption are never answered and never count as unexpected.
    CDialogScript& Ignore(const std::string& caption);

    bool Finished() const { return next == steps.size(); }

    // A step whose dialog never came, or a dialog that no step expected; such a dialog is cancelled.
    std::vector<std::string> failures;
    // Told of each failure as it happens, for a process that may end before anyone reads failures.
    std::function<void(const std::string&)> onFailure;

private:
    struct CStep
    {
        std::string caption;
        Action action;
        bool again;
    };

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void OnTick();
    HWND TopDialog() const;
    void GiveUp(HWND top, const std::string& problem);

    std::vector<CStep> steps;
    std::vector<std::string> ignored;
    DWORD processId = 0;
    std::size_t next = 0;
    UINT_PTR timer = 0;
    bool busy = false;
    HWND actedOn = nullptr;
    bool actedOnLeftTop = true;
    DWORD waitingSince;
};

// What a dialog shows in a control: a message box's text is control 0xFFFF.
std::string ItemText(HWND dialog, int id);
std::string MessageBoxText(HWND box);
void Click(HWND dialog, int id);
