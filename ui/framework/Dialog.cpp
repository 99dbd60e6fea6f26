#include "Dialog.h"

#include "DataExchange.h"
#include "MessageBox.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

namespace
{

std::vector<HWND> modelessDialogs;
HHOOK messageFilter = nullptr;
// The messages on their way through IsDialogMessage, innermost last: a dialog that handles one may run a
// modal loop of its own, whose messages are routed in turn.
std::vector<MSG> routing;

// Not by wParam: IsDialogMessageA passes a character on in another encoding.
bool SameMessage(const MSG& left, const MSG& right)
{
    return left.hwnd == right.hwnd && left.message == right.message && left.lParam == right.lParam &&
           left.time == right.time && left.pt.x == right.pt.x && left.pt.y == right.pt.y;
}

bool RouteToModeless(MSG& message)
{
    // IsDialogMessage hands the message to the filter hooks first; routing it again from there would
    // repeat itself for every dialog at every level.
    if (std::any_of(routing.begin(), routing.end(),
                    [&](const MSG& routed) { return SameMessage(routed, message); }))
        return false;
    routing.push_back(message);
    // A dialog may close while it handles the message.
    const std::vector<HWND> dialogs = modelessDialogs;
    const bool routed = std::any_of(dialogs.begin(), dialogs.end(),
                                    [&](HWND dialog) { return IsDialogMessageA(dialog, &message); });
    routing.pop_back();
    return routed;
}

// Modal dialogs and message boxes run loops of their own; this gives modeless dialogs their keys there.
LRESULT CALLBACK MessageFilterProc(int code, WPARAM wParam, LPARAM lParam)
{
    if ((code == MSGF_DIALOGBOX || code == MSGF_MESSAGEBOX) &&
        RouteToModeless(*reinterpret_cast<MSG*>(lParam)))
        return TRUE;
    return CallNextHookEx(messageFilter, code, wParam, lParam);
}

void InitCommonControlsOnce()
{
    static const bool initialised = []
    {
        INITCOMMONCONTROLSEX controls{sizeof(controls),
                                      ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)initialised;
}

// These return their result from the dialog procedure itself rather than through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message)
{
    return message == WM_INITDIALOG || message == WM_QUERYDRAGICON || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM ||
           (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

} // namespace

CDialog::CDialog(int templateId, HWND parent) : templateId(templateId), parent(parent) {}

CDialog::~CDialog()
{
    if (hwnd && !modal)
        DestroyWindow(hwnd);
}

INT_PTR CDialog::DoModal()
{
    InitCommonControlsOnce();
    modal = true;
    if (unicodeControls)
        return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), parent, DialogProc,
                               reinterpret_cast<LPARAM>(this));
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create()
{
    InitCommonControlsOnce();
    modal = false;
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent, DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

HWND CDialog::GetDlgItem(int id) const
{
    return ::GetDlgItem(hwnd, id);
}

void CDialog::UpdateData(bool saveAndValidate)
{
    CDataExchange dx(hwnd, saveAndValidate);
    DoDataExchange(dx);
}

void CDialog::EnableControl(int id, bool enable)
{
    EnableWindow(GetDlgItem(id), enable ? TRUE : FALSE);
}

void CDialog::EndDialog(INT_PTR result)
{
    if (modal)
        ::EndDialog(hwnd, result);
    else
        DestroyWindow(hwnd);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange&) {}

void CDialog::OnOK()
{
    UpdateData(true);
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

std::optional<LRESULT> CDialog::OnMessage(UINT, WPARAM, LPARAM)
{
    return std::nullopt;
}

void CDialog::MapCommand(int id, int code, std::function<void()> handler)
{
    handlers.push_back({id, code, std::move(handler)});
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // An exception that reached the system's frames would end the process.
    try
    {
        if (message == WM_INITDIALOG)
        {
            auto* dialog = reinterpret_cast<CDialog*>(lParam);
            dialog->Attach(window);
            return dialog->OnInitDialog();
        }
        // Messages that come before WM_INITDIALOG (WM_SETFONT) find no dialog yet.
        auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
        return dialog ? dialog->HandleMessage(message, wParam, lParam) : FALSE;
    }
    catch (const std::exception& error)
    {
        AppMessageBox(window, error.what());
    }
    catch (...)
    {
        AppMessageBox(window, "An unexpected error occurred.");
    }
    return FALSE;
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (const std::optional<LRESULT> result = OnMessage(message, wParam, lParam))
    {
        if (ReturnsDirectly(message))
            return static_cast<INT_PTR>(*result);
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, *result);
        return TRUE;
    }
    switch (message)
    {
    case WM_COMMAND:
        return Command(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case DM_GETDEFID:
        // Enter asks this. Wine hands it to the focused button only while that button has the default
        // frame, which a button focused other than by the keyboard lacks, as when a dialog above closes.
        if (HWND focus = GetFocus();
            focus && GetParent(focus) == hwnd &&
            (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)))
        {
            SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, MAKELONG(GetDlgCtrlID(focus), DC_HASDEFID));
            return TRUE;
        }
        return FALSE;
    case WM_NCDESTROY:
        Detach();
        return FALSE;
    default:
        return FALSE;
    }
}

bool CDialog::Command(int id, int code)
{
    const auto mapped = std::find_if(handlers.begin(), handlers.end(),
                                     [&](const CCommandHandler& handler)
                                     { return handler.id == id && handler.code == code; });
    if (mapped != handlers.end())
    {
        // The handler may map others.
        const std::function<void()> handler = mapped->handler;
        handler();
        return true;
    }
    if (code != BN_CLICKED)
        return false;
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
    else
        return false;
    return true;
}

void CDialog::Attach(HWND window)
{
    hwnd = window;
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
    if (modal)
        return;
    if (modelessDialogs.empty())
        messageFilter = SetWindowsHookExA(WH_MSGFILTER, MessageFilterProc, nullptr, GetCurrentThreadId());
    modelessDialogs.push_back(window);
}

void CDialog::Detach()
{
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    const auto registered = std::find(modelessDialogs.begin(), modelessDialogs.end(), hwnd);
    if (registered != modelessDialogs.end())
    {
        modelessDialogs.erase(registered);
        if (modelessDialogs.empty())
        {
            UnhookWindowsHookEx(messageFilter);
            messageFilter = nullptr;
        }
    }
    hwnd = nullptr;
}

void PumpWaitingMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
        if (message.message == WM_QUIT)
        {
            // It belongs to the loop that will run when this one returns.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (!RouteToModeless(message))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}
