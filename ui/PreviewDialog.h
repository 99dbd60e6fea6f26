#pragma once

#include "Dialog.h"

#include <string>

// What a change would write, or what has changed, as a unified diff under a line that sums it up. Resizable;
// it remembers nothing between openings.
class CPreviewDialog : public CDialog
{
public:
    explicit CPreviewDialog(HWND parent = nullptr);
    ~CPreviewDialog() override;

    std::string caption = "Preview";
    // In the code page.
    std::string outcome;
    // In UTF-8.
    std::string diff;

protected:
    BOOL OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Keeps the controls at the edges they were set against as the dialog changes size.
    void Arrange(int width, int height);

    HFONT fixedFont = nullptr;
    SIZE initialClient{};
    SIZE minimumWindow{};
};
