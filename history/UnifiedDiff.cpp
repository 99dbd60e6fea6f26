#include "UnifiedDiff.h"

#include "CodePage.h"

#include <ostream>

// The diff library names std::cout only as a default printing stream, which nothing here uses. Its
// <iostream> would bring the standard streams' start-up into every program that shows a diff, the dialog
// program among them: about 850 KB.
#if defined(__GLIBCXX__) && !defined(_GLIBCXX_IOSTREAM)
#define _GLIBCXX_IOSTREAM 1
namespace std
{
extern ostream cout;
}
#endif
#include <dtl/dtl.hpp>

#include <algorithm>
#include <vector>

namespace
{

constexpr std::size_t kContext = 3;

// The lines of a Windows-1252 text in UTF-8, each without its line end.
std::vector<std::string> Lines(const std::optional<std::string>& text)
{
    std::vector<std::string> lines;
    if (!text)
        return lines;
    for (std::size_t at = 0; at < text->size();)
    {
        std::size_t end = text->find('\n', at);
        const std::size_t next = end == std::string::npos ? text->size() : end + 1;
        end = end == std::string::npos ? text->size() : end;
        if (end > at && (*text)[end - 1] == '\r')
            --end;
        lines.push_back(Utf8FromWindows1252(std::string_view(*text).substr(at, end - at)));
        at = next;
    }
    return lines;
}

std::string Shown(const std::string& path, const char* prefix, bool exists)
{
    if (!exists)
        return "/dev/null";
    std::string shown = Utf8FromWindows1252(path);
    std::replace(shown.begin(), shown.end(), '\\', '/');
    return prefix + shown;
}

} // namespace

std::string UnifiedDiff(const std::string& path, const std::optional<std::string>& before,
                        const std::optional<std::string>& after)
{
    const std::vector<std::string> a = Lines(before);
    const std::vector<std::string> b = Lines(after);
    if (a == b && before.has_value() == after.has_value())
        return "";
    // Removed lines before added ones, as diff tools show them.
    dtl::Diff<std::string, std::vector<std::string>> diff(a, b, true);
    diff.compose();
    // The library finds the shortest edit script; its lines are grouped into hunks here, which also says
    // where a file's last line has no line end (without that, tools that apply the diff refuse the hunk).
    const auto script = diff.getSes().getSequence();
    const std::size_t n = script.size();
    const auto isChange = [&](std::size_t i) { return script[i].second.type != dtl::SES_COMMON; };
    const bool beforeOpen = before && !before->empty() && before->back() != '\n';
    const bool afterOpen = after && !after->empty() && after->back() != '\n';
    std::string text = "--- " + Shown(path, "a/", before.has_value()) + "\n+++ " +
                       Shown(path, "b/", after.has_value()) + "\n";
    // Lines of each file before script[i].
    std::vector<long long> beforeLines(n + 1, 0);
    std::vector<long long> afterLines(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i)
    {
        beforeLines[i + 1] = beforeLines[i] + (script[i].second.type != dtl::SES_ADD);
        afterLines[i + 1] = afterLines[i] + (script[i].second.type != dtl::SES_DELETE);
    }
    for (std::size_t next = 0; next < n;)
    {
        std::size_t last = next;
        while (last < n && !isChange(last))
            ++last;
        if (last == n)
            break;
        const std::size_t start = last >= kContext ? std::max(next, last - kContext) : next;
        // Changes that fewer than two contexts of common lines part share a hunk.
        for (std::size_t gap = last + 1; gap < n && gap <= last + 2 * kContext + 1; ++gap)
            if (isChange(gap))
                last = gap;
        const std::size_t stop = std::min(n, last + 1 + kContext);
        const long long beforeCount = beforeLines[stop] - beforeLines[start];
        const long long afterCount = afterLines[stop] - afterLines[start];
        text += "@@ -" + std::to_string(beforeLines[start] + (beforeCount > 0)) + "," +
                std::to_string(beforeCount) + " +" + std::to_string(afterLines[start] + (afterCount > 0)) +
                "," + std::to_string(afterCount) + " @@\n";
        for (std::size_t i = start; i < stop; ++i)
        {
            const dtl::elemInfo& info = script[i].second;
            text += info.type == dtl::SES_ADD ? '+' : info.type == dtl::SES_DELETE ? '-' : ' ';
            text.append(script[i].first).append("\n");
            const bool lastBefore =
                info.type != dtl::SES_ADD && beforeOpen && beforeLines[i + 1] == beforeLines[n];
            const bool lastAfter =
                info.type == dtl::SES_ADD && afterOpen && afterLines[i + 1] == afterLines[n];
            if (lastBefore || lastAfter)
                text += "\\ No newline at end of file\n";
        }
        next = stop;
    }
    return text;
}
