#include "ProgressCtrl.h"

#include <commctrl.h>

#include <algorithm>

void CProgressCtrl::SetPos(int position)
{
    Send(PBM_SETPOS, static_cast<WPARAM>(position));
}

int CProgressCtrl::GetPos() const
{
    return static_cast<int>(Send(PBM_GETPOS));
}

int CProgressCtrl::StepIt()
{
    const int end = static_cast<int>(Send(PBM_GETRANGE, FALSE));
    SetPos(std::min(end, GetPos() + step));
    return GetPos();
}
