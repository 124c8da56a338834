#pragma once
// The one check the fuzz targets use for the properties they test: a property that does not hold
// stops the run like a crash, with the line and the condition, so libFuzzer keeps the input.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: property does not hold: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)
