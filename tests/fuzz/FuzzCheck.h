#pragma once

#include <cstdio>
#include <cstdlib>

// An invariant a parser must keep whatever its input. A broken one is a finding like a crash, so it
// aborts: libFuzzer then keeps the input, and the plain driver fails its test.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition);           \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)
