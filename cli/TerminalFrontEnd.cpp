#include "TerminalFrontEnd.h"

#include <atomic>
#include <iomanip>

namespace
{

std::atomic<bool> cancelRequested{false};

constexpr const char* kRestoreNotice =
    "There was an error while reading and writing to your Korvex files. Your "
    "files will be restored to their original condition.";
constexpr const char* kNothingChanged = "No game file was changed.";
constexpr int kBarWidth = 30;

} // namespace

void RequestCancel()
{
    cancelRequested = true;
}

bool TakeCancelRequest()
{
    return cancelRequested.exchange(false);
}

CTerminalFrontEnd::CTerminalFrontEnd(std::ostream& out, std::ostream& progress, bool progressIsTerminal)
    : out(out), progress(progress), redraw(progressIsTerminal)
{
}

void CTerminalFrontEnd::ShowTexts()
{
    if (!redraw)
    {
        progress << std::setw(4) << percentText << ' ' << detailText << '\n';
        return;
    }
    const int filled = position * kBarWidth / 100;
    // Blanks after the text wipe what a longer text left on the line.
    progress << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
             << std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') << "] " << std::setw(4)
             << percentText << ' ' << std::left << std::setw(50) << detailText << std::right << std::flush;
    lineOpen = true;
}

bool CTerminalFrontEnd::CancelRequested()
{
    return TakeCancelRequest();
}

void CTerminalFrontEnd::ShowError(const std::string& message, const std::string& reason, ErrorNotice notice)
{
    EndProgressLine();
    progress << message << '\n';
    if (!reason.empty())
        progress << reason << '\n';
    if (notice == ErrorNotice::Restore)
        progress << kRestoreNotice << '\n';
    else if (notice == ErrorNotice::NothingChanged)
        progress << kNothingChanged << '\n';
}

void CTerminalFrontEnd::ShowRefusal(const std::string& message)
{
    EndProgressLine();
    progress << "kxvuz: " << message << '\n';
}

void CTerminalFrontEnd::ShowMessage(const std::string& text)
{
    EndProgressLine();
    out << text << '\n';
}

void CTerminalFrontEnd::EndProgram()
{
    EndProgressLine();
    throw CProgramEnd{};
}

void CTerminalFrontEnd::EndProgressLine()
{
    if (lineOpen)
        progress << '\n';
    lineOpen = false;
}
