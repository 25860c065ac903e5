#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
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

// The harness over its input as text: libFuzzer's entry point hands the bytes to the body as `text`.
#define FUZZ_TEXT_HARNESS(text)                                                                              \
    static void fuzzText(std::string_view text);                                                             \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {                      \
        fuzzText(std::string_view(reinterpret_cast<const char*>(data), size));                               \
        return 0;                                                                                            \
    }                                                                                                        \
    static void fuzzText(std::string_view text)
