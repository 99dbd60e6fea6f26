// Which failures of a file operation are worth another try, and for how long.
#include "RetryPolicy.h"

#include <gtest/gtest.h>

namespace
{

TEST(RetryPolicyTest, OnlyAFileHeldElsewhereIsWaitedForLongAndARefusalIsTriedOnceMore)
{
    const struct
    {
        const char* what;
        DWORD error;
        int fewestTries, mostTries;
        // All the pauses together.
        DWORD shortestWait, longestWait;
    } cases[] = {
        {"sharing violation", ERROR_SHARING_VIOLATION, 10, 100, 1500, 3000},
        {"lock violation", ERROR_LOCK_VIOLATION, 10, 100, 1500, 3000},
        {"access denied", ERROR_ACCESS_DENIED, 2, 2, 100, 500},
        {"file not found", ERROR_FILE_NOT_FOUND, 1, 1, 0, 0},
        {"path not found", ERROR_PATH_NOT_FOUND, 1, 1, 0, 0},
        {"disk full", ERROR_DISK_FULL, 1, 1, 0, 0},
        {"no room for the file", ERROR_HANDLE_DISK_FULL, 1, 1, 0, 0},
        {"write-protected disk", ERROR_WRITE_PROTECT, 1, 1, 0, 0},
        {"bad name", ERROR_INVALID_NAME, 1, 1, 0, 0},
        {"file exists", ERROR_ALREADY_EXISTS, 1, 1, 0, 0},
        {"network gone", ERROR_BAD_NETPATH, 1, 1, 0, 0},
    };
    for (const auto& [what, error, fewestTries, mostTries, shortestWait, longestWait] : cases)
    {
        SCOPED_TRACE(what);
        const RetryPolicy policy = RetryPolicyFor(error);
        EXPECT_GE(policy.tries, fewestTries);
        EXPECT_LE(policy.tries, mostTries);
        const DWORD wait = (policy.tries - 1) * policy.pauseMilliseconds;
        EXPECT_GE(wait, shortestWait);
        EXPECT_LE(wait, longestWait);
    }
}

} // namespace
