#pragma once

#include "Dialog.h"

#include <string>

// What a change would write, or what has changed, as a unified diff under a line that sums it up. Resizable;
// it remembers nothing between openings.
class CPreviewDialog : public CDialog
{
public:
    // outcome and caption in the code page, diff in UTF-8.
    CPreviewDialog(HWND parent, std::string outcome, std::string diff, std::string caption = "Preview");
    ~CPreviewDialog() override;

protected:
    BOOL OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Keeps the controls at the edges they were set against as the dialog changes size.
    void Arrange(int width, int height);

    std::string outcome;
    std::string diff;
    std::string caption;
    HFONT fixedFont = nullptr;
    SIZE initialClient{};
    SIZE minimumWindow{};
};
