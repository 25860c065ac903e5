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

// One input format's harness over any text. Every format is in every fuzz program; the program runs
// the one it is built for (FuzzMain.cpp).
using FuzzHarness = void (*)(std::string_view text);
bool addFuzzFormat(const char* name, FuzzHarness harness);

#define FUZZ_FORMAT(name, text)                                                                              \
    static void fuzz##name(std::string_view text);                                                           \
    [[maybe_unused]] static const bool added##name = addFuzzFormat(#name, fuzz##name);                       \
    static void fuzz##name(std::string_view text)
