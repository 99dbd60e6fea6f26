#include "LayoutCheck.h"

#include "DataExchange.h"

#include <algorithm>
#include <cctype>

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    std::string text = name;
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool ShowsAccessKeys(HWND control)
{
    const std::string kind = ClassOf(control);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const LONG type = style & SS_TYPEMASK;
    return kind == "button" ||
           (kind == "static" && !(style & SS_NOPREFIX) &&
            (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP));
}

namespace
{

struct CItem
{
    HWND window;
    RECT rect;
    std::string name;
};

BOOL CALLBACK Collect(HWND window, LPARAM items)
{
    if (!IsWindowVisible(window))
        return TRUE;
    CItem item{window,
               {},
               ClassOf(window) + " " + std::to_string(GetDlgCtrlID(window)) + " '" + WindowText(window) +
                   "'"};
    GetWindowRect(window, &item.rect);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&item.rect), 2);
    reinterpret_cast<std::vector<CItem>*>(items)->push_back(item);
    return TRUE;
}

bool IsGroupBox(HWND window)
{
    return ClassOf(window) == "button" && (GetWindowLongA(window, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// The size the control's text needs in the control's font; width bounds the lines when the text wraps.
SIZE TextExtent(HWND window, int width, bool wraps)
{
    HDC dc = GetDC(window);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)));
    const std::string text = WindowText(window);
    RECT bounds{0, 0, width, 0};
    DrawTextA(dc, text.c_str(), -1, &bounds,
              DT_CALCRECT | (ShowsAccessKeys(window) ? 0 : DT_NOPREFIX) | DT_EXPANDTABS |
                  (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

std::string TextProblem(const CItem& item)
{
    const LONG style = GetWindowLongA(item.window, GWL_STYLE);
    const int width = item.rect.right - item.rect.left;
    const int height = item.rect.bottom - item.rect.top;
    const std::string kind = ClassOf(item.window);
    if (kind == "static")
    {
        const LONG type = style & SS_TYPEMASK;
        if (type == SS_BITMAP)
            return SendMessageA(item.window, STM_GETIMAGE, IMAGE_BITMAP, 0) ? "" : "has no picture";
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP)
            return "";
        // A label that shortens its text with "..." needs room for one line only.
        const bool ellipsis = (style & SS_ELLIPSISMASK) != 0;
        const bool wraps = type != SS_LEFTNOWORDWRAP && !ellipsis;
        const SIZE needed = TextExtent(item.window, width, wraps);
        if (needed.cy > height || (!ellipsis && needed.cx > width))
            return "needs " + std::to_string(needed.cx) + " by " + std::to_string(needed.cy) +
                   " pixels, has " + std::to_string(width) + " by " + std::to_string(height);
        return "";
    }
    if (kind != "button" || IsGroupBox(item.window))
        return "";
    const LONG type = style & BS_TYPEMASK;
    const bool pushButton = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
    // The frame of a push button, or the box of a check box or radio button, takes the rest.
    const int room = width - (pushButton ? 6 : GetSystemMetrics(SM_CXMENUCHECK) + 4);
    const SIZE needed = TextExtent(item.window, room, (style & BS_MULTILINE) != 0);
    if (needed.cx > room || needed.cy > height)
        return "needs " + std::to_string(needed.cx) + " pixels, has " + std::to_string(room);
    return "";
}

} // namespace

std::vector<std::string> LayoutProblems(HWND dialog)
{
    std::vector<CItem> items;
    EnumChildWindows(dialog, Collect, reinterpret_cast<LPARAM>(&items));
    RECT client;
    GetClientRect(dialog, &client);
    std::vector<std::string> problems;
    for (std::size_t i = 0; i < items.size(); ++i)
    {
        const CItem& item = items[i];
        if (GetParent(item.window) != dialog)
            continue;
        RECT inside;
        if (!IntersectRect(&inside, &item.rect, &client) || !EqualRect(&inside, &item.rect))
            problems.push_back(item.name + " reaches outside the dialog");
        if (const std::string problem = TextProblem(item); !problem.empty())
            problems.push_back(item.name + " " + problem);
        for (std::size_t j = i + 1; j < items.size(); ++j)
        {
            RECT overlap;
            if (GetParent(items[j].window) == dialog && !IsGroupBox(item.window) &&
                !IsGroupBox(items[j].window) && IntersectRect(&overlap, &item.rect, &items[j].rect))
                problems.push_back(item.name + " overlaps " + items[j].name);
        }
    }
    return problems;
}
