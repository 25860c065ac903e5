#include "core/proc/MemoryReader.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace brisklet {
namespace {

using test::TempTree;

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t KiB = 1024;

// A meminfo as a 16 GiB desktop reports it, with the keys that share a prefix with the ones read
// (Active/Active(anon), Zswap/Zswapped, SwapCached, ...): anon 3 GiB + 1 GiB, file 2 GiB + 3 GiB,
// KReclaimable 512 MiB, Zswap 256 MiB, swap 1 GiB used.
constexpr const char* kDesktopMemInfo =
    "MemTotal:       16777216 kB\nMemFree:         4194304 kB\nMemAvailable:    7340032 kB\n"
    "Buffers:          131072 kB\nCached:          5242880 kB\nSwapCached:        65536 kB\n"
    "Active:          6291456 kB\nInactive:        3145728 kB\nActive(anon):    3145728 kB\n"
    "Inactive(anon):  1048576 kB\nActive(file):    2097152 kB\nInactive(file):  3145728 kB\n"
    "SwapTotal:       4194304 kB\nSwapFree:        3145728 kB\nZswap:            262144 kB\n"
    "Zswapped:         786432 kB\nAnonPages:       4128768 kB\nKReclaimable:     524288 kB\n"
    "Slab:             786432 kB\nSReclaimable:     458752 kB\nHugePages_Total:       0\n";

TEST(MemorySnapshot, DerivedFiguresSaturateInsteadOfWrapping) {
    struct Row {
        const char* what;
        MemorySnapshot s;
        std::uint64_t used, available, free;
        double fraction;
    };
    const Row rows[] = {
        {"parts exceed total", MemorySnapshot{1000, 800, 300, 0, 0}, 1000, 0, 0, 1.0},
        {"sum overflows", MemorySnapshot{1000, kMax, 5, 1, 0}, 1000, 0, 0, 1.0},
        {"parts but no total", MemorySnapshot{0, 10, 10, 10, 10}, 0, 0, 0, 0.0},
        {"used plus cache exactly total", MemorySnapshot{1000, 400, 100, 0, 500}, 500, 500, 0, 0.5},
        {"one byte left over", MemorySnapshot{1000, 400, 50, 50, 499}, 500, 500, 1, 0.5},
        {"cache overflows", MemorySnapshot{1000, 400, 0, 0, kMax}, 400, 600, 0, 0.4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.s.used(), row.used);
        EXPECT_EQ(row.s.available(), row.available);
        EXPECT_EQ(row.s.free(), row.free);
        EXPECT_DOUBLE_EQ(row.s.usedFraction(), row.fraction);
    }
}

TEST(MemoryReader, ClassifiesPressure) {
    using P = MemoryPressure;
    constexpr std::optional<double> none;
    constexpr std::optional<std::uint64_t> unknown;
    struct Row {
        const char* what;
        std::optional<double> some, full;
        std::optional<std::uint64_t> available;
        std::uint64_t total;
        P expected;
    };
    const Row rows[] = {
        {"no stall figures, no estimate", none, none, unknown, 1000, P::normal},
        {"no total", 90.0, 90.0, 0, 0, P::normal},
        {"some just below", 9.99, 0.0, 100, 1000, P::normal},
        {"some at threshold", 10.0, 0.0, 100, 1000, P::warning},
        {"full just below", 40.0, 9.99, 100, 1000, P::warning},
        {"full at threshold", 10.0, 10.0, 100, 1000, P::critical},
        {"full without some", none, 12.0, 100, 1000, P::critical},
        {"stalls but half available", 80.0, 80.0, 500, 1000, P::normal},
        {"stalls, one byte short of half", 80.0, 80.0, 499, 1000, P::critical},
        {"odd total, half rounded up", 80.0, 80.0, 501, 1001, P::normal},
        {"odd total, half rounded down", 80.0, 80.0, 500, 1001, P::critical},
        {"stalls, availability unknown", 80.0, 80.0, unknown, 1000, P::critical},
        {"huge total, exactly half", none, 50.0, std::uint64_t{1} << 63, kMax, P::normal},
        {"huge total, below half", none, 50.0, (std::uint64_t{1} << 63) - 1, kMax, P::critical},
        {"stall figures decide over low availability", 0.0, 0.0, 10, 1000, P::normal},
        {"fallback: quarter available", none, none, 250, 1000, P::normal},
        {"fallback: just below a quarter", none, none, 249, 1000, P::warning},
        {"fallback: 15 percent available", none, none, 150, 1000, P::warning},
        {"fallback: just below 15 percent", none, none, 149, 1000, P::critical},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(MemoryReader::classifyPressure(row.some, row.full, row.available, row.total), row.expected);
    }
}

TEST(MemoryReader, ReadsRealisticFiguresEndToEnd) {
    TempTree t;
    t.text("proc/meminfo", kDesktopMemInfo);
    t.text("proc/pressure/memory", "some avg10=12.50 avg60=4.10 avg300=1.00 total=123456\n"
                                   "full avg10=3.20 avg60=1.00 avg300=0.20 total=23456\n");
    t.text("sys/block/zram0/mm_stat",
           "  1073741824   268435456   301989888        0   301989888      120    0\n");
    t.dir("sys/block/sda");

    const MemorySnapshot s = MemoryReader::snapshot(t.path("proc"), t.path("sys"));
    EXPECT_EQ(s.total, 16777216 * KiB);
    EXPECT_EQ(s.app, (3145728 + 1048576) * KiB);
    EXPECT_EQ(s.cached, (2097152 + 3145728 + 524288) * KiB);
    EXPECT_EQ(s.compressed, 262144 * KiB + 301989888);
    // What is left of the total once free, anonymous, cache and compressed memory are taken out.
    EXPECT_EQ(s.wired, 2064384 * KiB);
    EXPECT_EQ(s.swapUsed, 1048576 * KiB);
    // Under half available (44 %), so the stall figures count: "some" above 10, "full" below.
    EXPECT_EQ(s.pressure, MemoryPressure::warning);
}

TEST(MemoryReader, ReclaimableKernelMemoryPrefersTheWiderCounter) {
    const std::pair<const char*, std::uint64_t> rows[] = {
        {"KReclaimable: 300 kB\nSReclaimable: 200 kB\n", 1300 * KiB},
        {"SReclaimable: 200 kB\n", 1200 * KiB}, // older kernels
    };
    for (const auto& [lines, cached] : rows) {
        TempTree t;
        t.text("proc/meminfo",
               std::string("MemTotal: 8000 kB\nActive(file): 600 kB\nInactive(file): 400 kB\n") + lines);
        EXPECT_EQ(MemoryReader::snapshot(t.path("proc"), t.path("sys")).cached, cached) << lines;
    }
}

TEST(MemoryReader, SumsZramDevicesAndIgnoresBrokenOnes) {
    TempTree t;
    t.text("proc/meminfo", "MemTotal: 8000 kB\nMemFree: 1000 kB\nZswap: 10 kB\nZswapped: 999 kB\n");
    t.text("sys/block/zram0/mm_stat", "4096 2048 1000 0 1000 0 0 0 0\n");
    t.text("sys/block/zram1/mm_stat", "8192 4096 3000 0 3000 0 0\n");
    t.text("sys/block/zram2/mm_stat", "4096 2048 lots\n");
    t.text("sys/block/zram3/mm_stat", "4096 2048\n");
    t.dir("sys/block/zram4"); // configured but never initialised: no mm_stat
    t.text("sys/block/loop0/mm_stat", "1 1 777777\n");

    const MemorySnapshot s = MemoryReader::snapshot(t.path("proc"), t.path("sys"));
    EXPECT_EQ(s.compressed, 10 * KiB + 1000 + 3000);
    EXPECT_EQ(s.wired, 7000 * KiB - s.compressed);
}

TEST(MemoryReader, PressureFileOrFallback) {
    // 20 % available: a warning by the fallback rule, normal or critical only by the stall figures.
    const std::pair<std::optional<std::string>, MemoryPressure> rows[] = {
        {"some avg10=0.00 avg60=0.00 avg300=0.00 total=0\nfull avg10=0.00 avg60=0.00 avg300=0.00 total=0\n",
         MemoryPressure::normal},
        {"some avg10=30.00 avg60=0.00 avg300=0.00 total=9\nfull avg10=10.00 avg60=0.00 avg300=0.00 total=9",
         MemoryPressure::critical},
        {std::nullopt, MemoryPressure::warning},
        {"some avg10=high\nfull\n", MemoryPressure::warning},
        {"some avg10=-3.00 avg60=0 avg300=0 total=0\n", MemoryPressure::warning},
    };
    for (const auto& [pressure, expected] : rows) {
        TempTree t;
        t.text("proc/meminfo", "MemTotal: 1000 kB\nMemFree: 100 kB\nMemAvailable: 200 kB\n");
        if (pressure) t.text("proc/pressure/memory", *pressure);
        EXPECT_EQ(MemoryReader::snapshot(t.path("proc"), t.path("sys")).pressure, expected)
            << pressure.value_or("(none)");
    }
}

TEST(MemoryReader, MissingMemInfoGivesZeros) {
    TempTree t;
    t.text("proc/pressure/memory",
           "some avg10=99.00 avg60=0 avg300=0 total=0\nfull avg10=99.00 avg60=0 avg300=0 total=0\n");
    EXPECT_EQ(MemoryReader::snapshot(t.path("proc"), t.path("sys")), MemorySnapshot{});
}

TEST(MemoryReader, SkipsMalformedLines) {
    TempTree t;
    // Only the first well-formed line of a key counts.
    t.text("proc/meminfo", "MemTotal:\nMemTotal: 99999999999999999999999 kB\nMemTotal: 12x kB\n"
                           "MemTotal: 2000 MB\nMemTotal: 8000 kB\nMemTotal: 1 kB\n"
                           "MemFree 5000 kB\n\x01\xff\xfe garbage: \x80\n:\n\nActive(anon): -5 kB\n"
                           "Inactive(anon):     700 kB   \nMemFree: 1000 kB\nSwapTotal: 2048 kB\nSwapFre");
    const MemorySnapshot s = MemoryReader::snapshot(t.path("proc"), t.path("sys"));
    EXPECT_EQ(s.total, 8000 * KiB);
    EXPECT_EQ(s.app, 700 * KiB);
    EXPECT_EQ(s.wired, 6300 * KiB);
    EXPECT_EQ(s.swapUsed, 2048 * KiB);
}

TEST(MemoryReader, WiredAndSwapNeverWrap) {
    TempTree t;
    // Counters sampled at different instants can claim more than the total.
    t.text("proc/meminfo", "MemTotal: 1000 kB\nMemFree: 600 kB\nActive(anon): 300 kB\nActive(file): 300 kB\n"
                           "SwapTotal: 100 kB\nSwapFree: 200 kB\n");
    const MemorySnapshot s = MemoryReader::snapshot(t.path("proc"), t.path("sys"));
    EXPECT_EQ(s.wired, 0u);
    EXPECT_EQ(s.swapUsed, 0u);
}

TEST(MemoryReader, RealSystemIsSane) {
    const MemorySnapshot s = MemoryReader::snapshot();
    EXPECT_GT(s.total, 0u);
    EXPECT_GT(s.app, 0u);
    EXPECT_LE(s.cached, s.total);
    EXPECT_EQ(s.used() + s.available(), s.total);
}

} // namespace
} // namespace brisklet
