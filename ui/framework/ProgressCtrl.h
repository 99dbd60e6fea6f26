#pragma once

#include "Control.h"

// A progress bar.
class CProgressCtrl : public CControl
{
public:
    void SetStep(int size) { step = size; }
    void SetPos(int position);
    int GetPos() const;
    // Advances by the step size and stops at the end of the range, where the control itself would
    // start over from the beginning.
    int StepIt();

private:
    int step = 10;
};
