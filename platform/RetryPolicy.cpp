#include "RetryPolicy.h"

RetryPolicy RetryPolicyFor(DWORD error)
{
    switch (error)
    {
    // The running game, an indexer or a virus scanner holds a file for a moment: about two seconds of tries.
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return {40, 50};
    // Once more: a file pending deletion or just opened by a scanner clears quickly, while the folder's
    // permissions, the usual cause, do not change by waiting.
    case ERROR_ACCESS_DENIED:
        return {2, 200};
    default:
        return {1, 0};
    }
}
