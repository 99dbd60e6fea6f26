#include "ToolTips.h"

#include <commctrl.h>

namespace
{

// Long tips wrap at this width in pixels instead of running across the screen.
constexpr LPARAM kTipWidth = 300;

} // namespace

void CToolTips::Create(HWND owner)
{
    dialog = owner;
    hwnd = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    SendMessageA(hwnd, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
}

void CToolTips::Add(int controlId, const std::string& text)
{
    TOOLINFOA tool{};
    // The size that version 5 of the common controls accepts as well as version 6.
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, controlId));
    // The control keeps its own copy of the text.
    tool.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(hwnd, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}
