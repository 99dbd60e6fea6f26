#pragma once

#include <windows.h>

#include <vector>

// Records the system sounds this program plays, by pointing its import of MessageBeep at a recorder
// while the object lives. The program is linked statically, so every call goes through that import.
class CBeepCounter
{
public:
    CBeepCounter();
    ~CBeepCounter();
    CBeepCounter(const CBeepCounter&) = delete;
    CBeepCounter& operator=(const CBeepCounter&) = delete;

    // The sound types, in the order played.
    const std::vector<UINT>& Beeps() const;
};
