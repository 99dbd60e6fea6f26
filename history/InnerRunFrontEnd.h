#pragma once

#include "FrontEnd.h"

#include <string>

// The front end of a run that other work makes, an uninstall or a preview: its progress goes to that work's
// window, while its "Done" is not shown and its failure is kept for the work to report when it ends.
class CInnerRunFrontEnd : public IInstallFrontEnd
{
public:
    explicit CInnerRunFrontEnd(IInstallFrontEnd& shown) : shown(shown) {}

    // The failure the run would have shown first.
    const std::string& Failure() const { return failure; }

    void CreateProgress() override {}
    void SetOperationText(const std::string& text) override { shown.SetOperationText(text); }
    void SetDetailText(const std::string& text) override { shown.SetDetailText(text); }
    void SetPercentText(const std::string& text) override { shown.SetPercentText(text); }
    void SetStepSize(int step) override { shown.SetStepSize(step); }
    void SetPosition(int position) override { shown.SetPosition(position); }
    int StepIt() override { return shown.StepIt(); }
    void ShowTexts() override { shown.ShowTexts(); }
    bool CancelRequested() override { return shown.CancelRequested(); }
    void ShowError(const std::string& message, const std::string&, ErrorNotice) override
    {
        if (failure.empty())
            failure = message;
    }
    void ShowMessage(const std::string&) override {}
    void ShowRefusal(const std::string& message) override { ShowError(message, "", ErrorNotice::None); }
    void BeginWaitCursor() override { shown.BeginWaitCursor(); }
    void EndWaitCursor() override { shown.EndWaitCursor(); }
    [[noreturn]] void EndProgram() override { throw CProgramEnd{}; }

private:
    IInstallFrontEnd& shown;
    std::string failure;
};
