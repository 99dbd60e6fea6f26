#include "PreviewDialog.h"

#include "CodePage.h"
#include "resource.h"

#include <utility>

namespace
{

// How each control follows the dialog's right and bottom edges.
struct CAnchor
{
    int id;
    bool stretchWidth;
    bool stretchHeight;
    bool followRight;
    bool followBottom;
};
constexpr CAnchor kAnchors[] = {
    {IDC_PREVIEW_OUTCOME, true, false, false, false},
    {IDC_PREVIEW_LABEL, true, false, false, false},
    {IDC_PREVIEW_TEXT, true, true, false, false},
    {IDCANCEL, false, false, true, true},
};

// The edit keeps Windows' line ends only.
std::wstring WindowsLines(const std::string& utf8)
{
    std::string text;
    text.reserve(utf8.size() + utf8.size() / 16);
    for (char c : utf8)
    {
        if (c == '\n')
            text += '\r';
        text += c;
    }
    return WideFromAnsi(text, CP_UTF8);
}

} // namespace

CPreviewDialog::CPreviewDialog(HWND parent, std::string outcome, std::string diff, std::string caption)
    : CDialog(IDD_PREVIEW, parent), outcome(std::move(outcome)), diff(std::move(diff)),
      caption(std::move(caption))
{
    unicodeControls = true;
}

CPreviewDialog::~CPreviewDialog()
{
    if (fixedFont)
        DeleteObject(fixedFont);
}

BOOL CPreviewDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND window = GetSafeHwnd();
    SetWindowTextW(window, WideFromAnsi(caption, CP_ACP).c_str());
    SetDlgItemTextW(window, IDC_PREVIEW_OUTCOME, WideFromAnsi(outcome, CP_ACP).c_str());
    HWND edit = GetDlgItem(IDC_PREVIEW_TEXT);
    HDC dc = GetDC(window);
    const int height = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(window, dc);
    fixedFont =
        CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New");
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(fixedFont), FALSE);
    // The default limit of about 32,000 characters would cut a large installation's diff.
    SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
    SetWindowTextW(edit, WindowsLines(diff).c_str());

    RECT client;
    GetClientRect(window, &client);
    initialClient = {client.right, client.bottom};
    RECT frame;
    GetWindowRect(window, &frame);
    minimumWindow = {frame.right - frame.left, frame.bottom - frame.top};
    // The keys scroll the text from its start; nothing selected, which the dialog's first focus would do.
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, 0);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    return FALSE;
}

std::optional<LRESULT> CPreviewDialog::OnMessage(UINT message, WPARAM, LPARAM lParam)
{
    switch (message)
    {
    case WM_SIZE:
        if (initialClient.cx)
            Arrange(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {minimumWindow.cx, minimumWindow.cy};
        return 0;
    default:
        return std::nullopt;
    }
}

void CPreviewDialog::Arrange(int width, int height)
{
    const int grownX = width - initialClient.cx;
    const int grownY = height - initialClient.cy;
    initialClient = {width, height};
    HDWP moves = BeginDeferWindowPos(static_cast<int>(std::size(kAnchors)));
    for (const CAnchor& anchor : kAnchors)
    {
        HWND control = GetDlgItem(anchor.id);
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, GetSafeHwnd(), reinterpret_cast<POINT*>(&rect), 2);
        const int x = rect.left + (anchor.followRight ? grownX : 0);
        const int y = rect.top + (anchor.followBottom ? grownY : 0);
        const int w = rect.right - rect.left + (anchor.stretchWidth ? grownX : 0);
        const int h = rect.bottom - rect.top + (anchor.stretchHeight ? grownY : 0);
        moves = DeferWindowPos(moves, control, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    EndDeferWindowPos(moves);
}
