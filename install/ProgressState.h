#pragma once

#include "FrontEnd.h"

#include <algorithm>
#include <string>

// The progress window's texts and bar kept as plain values, for front ends without a window.
class CProgressState : public IInstallFrontEnd
{
public:
    void SetOperationText(const std::string& text) override { operationText = text; }
    void SetDetailText(const std::string& text) override { detailText = text; }
    void SetPercentText(const std::string& text) override { percentText = text; }
    void SetStepSize(int step) override { stepSize = step; }
    void SetPosition(int value) override { position = std::clamp(value, 0, 100); }
    int StepIt() override
    {
        position = std::min(100, position + stepSize);
        return position;
    }

protected:
    std::string operationText;
    std::string detailText;
    std::string percentText;
    int stepSize = 10;
    int position = 0;
};
