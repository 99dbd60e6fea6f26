#pragma once

#include "ProgressState.h"

#include <functional>
#include <string>
#include <vector>

// Records what the run shows, and acts as a user would before a chosen step.
class CRecordingFrontEnd : public CProgressState
{
public:
    // One entry per ShowTexts: percentage, a blank, detail text.
    std::vector<std::string> shown;
    std::vector<std::string> errors;
    // The system's reason shown with each error.
    std::vector<std::string> reasons;
    std::vector<std::string> messages;
    // What the player does while a message box is open, such as pressing Cancel in the progress window.
    std::function<void()> whileMessageShown;
    std::vector<std::string> refusals;
    std::string operation;
    bool waitCursor = false;

    // Steps count from 1, in the order the run makes them; 0 never comes.
    int cancelBeforeStep = 0;
    int actBeforeStep = 0;
    std::function<void()> action;

    void CreateProgress() override {}
    void ShowTexts() override
    {
        operation = operationText;
        shown.push_back(percentText + " " + detailText);
    }
    bool CancelRequested() override
    {
        ++step;
        if (step == actBeforeStep && action)
            action();
        return step == cancelBeforeStep;
    }
    void ShowError(const std::string& message, const std::string& reason, ErrorNotice) override
    {
        errors.push_back(message);
        reasons.push_back(reason);
    }
    void ShowMessage(const std::string& text) override
    {
        messages.push_back(text);
        if (whileMessageShown)
            whileMessageShown();
    }
    void ShowRefusal(const std::string& message) override { refusals.push_back(message); }
    void BeginWaitCursor() override { waitCursor = true; }
    void EndWaitCursor() override { waitCursor = false; }
    [[noreturn]] void EndProgram() override { throw CProgramEnd{}; }

private:
    int step = 0;
};
