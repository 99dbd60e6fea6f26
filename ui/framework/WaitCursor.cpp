#include "WaitCursor.h"

#include <windows.h>

namespace
{

int waiting = 0;
HCURSOR restore = nullptr;

} // namespace

void BeginWaitCursor()
{
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    if (waiting++ == 0)
        restore = previous;
}

void EndWaitCursor()
{
    if (waiting > 0 && --waiting == 0)
        SetCursor(restore ? restore : LoadCursorA(nullptr, IDC_ARROW));
}

bool WaitCursorShown()
{
    return waiting > 0;
}
