// The fuzz targets' own check: a broken property aborts, which libFuzzer
// reports with the input and the regression test with the file.
#pragma once

#include <cstdio>
#include <cstdlib>

#define KINPATH_FUZZ_CHECK(cond)                                                                \
    do {                                                                                        \
        if (!(cond)) {                                                                          \
            std::fprintf(stderr, "fuzz check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                                       \
        }                                                                                       \
    } while (0)
