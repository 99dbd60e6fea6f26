#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// A property of the code under test that does not hold: said on stderr, then a crash that libFuzzer keeps.
inline void Require(bool holds, const std::string& what)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz: %s\n", what.c_str());
    std::abort();
}
