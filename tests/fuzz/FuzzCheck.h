#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brisklet {}
using namespace brisklet;

// An invariant a parser must keep whatever its input. A broken one is a finding like a crash, so it
// aborts: libFuzzer then keeps the input, and the plain driver fails its test.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition);           \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)

// One input format's harness over any text. Every format is in every fuzz program; the program calls
// the one it is built for, which its build names (FuzzMain.cpp).
#define FUZZ_FORMAT(name, text)                                                                              \
    void fuzz##name(std::string_view text);                                                                  \
    void fuzz##name(std::string_view text)
