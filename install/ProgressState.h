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

// Shows nothing and never cancels; ends the program by unwinding to the top of the run. A preview shows no
// progress.
class CSilentFrontEnd : public CProgressState
{
public:
    void CreateProgress() override {}
    void ShowTexts() override {}
    bool CancelRequested() override { return false; }
    void ShowError(const std::string&, const std::string&, ErrorNotice) override {}
    void ShowMessage(const std::string&) override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    [[noreturn]] void EndProgram() override { throw CProgramEnd{}; }
};
