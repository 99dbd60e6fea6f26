#pragma once

#include <windows.h>

// How many times in all a file operation that failed with an error is tried, and the pause between tries.
struct RetryPolicy
{
    int tries;
    DWORD pauseMilliseconds;
};

RetryPolicy RetryPolicyFor(DWORD error);
