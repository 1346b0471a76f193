#pragma once

#include <cstdio>
#include <cstdlib>

// A promise of the code under fuzzing: a broken one aborts, which the fuzzer
// reports as a crash with the input that caused it.
inline void check(bool promise, const char *what)
{
    if (!promise) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}
