#include "DialogScript.h"

#include "DataExchange.h"

#include <algorithm>

namespace
{

// Long enough for a slow machine to bring up a dialog; short enough to fail a broken test in time.
constexpr DWORD kPatience = 15000;
constexpr UINT kTickMilliseconds = 20;

CDialogScript* running = nullptr;

bool IsDialogWindow(HWND window)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof(name));
    return std::string(name) == "#32770";
}

std::string Describe(HWND dialog)
{
    std::string text = "'" + WindowText(dialog) + "'";
    for (int id : {0xFFFF, 1096})
        if (HWND item = GetDlgItem(dialog, id))
            text += " saying '" + WindowText(item) + "'";
    return text;
}

} // namespace

CDialogScript::CDialogScript() : waitingSince(GetTickCount())
{
    running = this;
    timer = SetTimer(nullptr, 0, kTickMilliseconds, Tick);
}

CDialogScript::CDialogScript(DWORD process) : CDialogScript()
{
    processId = process;
}

CDialogScript::~CDialogScript()
{
    KillTimer(nullptr, timer);
    running = nullptr;
}

CDialogScript& CDialogScript::Then(const std::string& caption, Action action)
{
    steps.push_back({caption, std::move(action), false});
    return *this;
}

CDialogScript& CDialogScript::ThenAgain(const std::string& caption, Action action)
{
    steps.push_back({caption, std::move(action), true});
    return *this;
}

CDialogScript& CDialogScript::Ignore(const std::string& caption)
{
    ignored.push_back(caption);
    return *this;
}

void CALLBACK CDialogScript::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    // A step may run a nested loop in which the timer fires again.
    if (running && !running->busy)
    {
        running->busy = true;
        running->OnTick();
        running->busy = false;
    }
}

HWND CDialogScript::TopDialog() const
{
    const DWORD thread = GetCurrentThreadId();
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT))
    {
        DWORD process = 0;
        const DWORD windowThread = GetWindowThreadProcessId(window, &process);
        if ((processId ? process != processId : windowThread != thread) || !IsWindowVisible(window) ||
            !IsWindowEnabled(window) || !IsDialogWindow(window))
            continue;
        if (std::find(ignored.begin(), ignored.end(), WindowText(window)) == ignored.end())
            return window;
    }
    return nullptr;
}

void CDialogScript::OnTick()
{
    HWND top = TopDialog();
    if (top != actedOn)
        actedOnLeftTop = true;
    if (!top)
        return;
    if (!Finished())
    {
        const CStep& step = steps[next];
        if ((actedOnLeftTop || step.again) && WindowText(top) == step.caption)
        {
            ++next;
            actedOn = top;
            actedOnLeftTop = false;
            waitingSince = GetTickCount();
            step.action(top);
            return;
        }
    }
    if (GetTickCount() - waitingSince < kPatience)
        return;
    GiveUp(top, Finished() ? "no step expected " + Describe(top)
                           : "waited for '" + steps[next].caption + "', but " + Describe(top) + " is open");
}

void CDialogScript::GiveUp(HWND top, const std::string& problem)
{
    failures.push_back(problem);
    if (onFailure)
        onFailure(problem);
    // Whatever is waiting for this dialog can go on and fail.
    PostMessageA(top, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    waitingSince = GetTickCount();
}

std::string ItemText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

std::string MessageBoxText(HWND box)
{
    return ItemText(box, 0xFFFF);
}

void Click(HWND dialog, int id)
{
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
