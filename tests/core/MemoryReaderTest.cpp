#include "core/MemoryReader.h"

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

// A meminfo as a 16 GiB desktop reports it: anon 3 GiB + 1 GiB, file 2 GiB + 3 GiB, KReclaimable 512 MiB,
// Zswap 256 MiB, swap 1 GiB used.
constexpr const char* kDesktopMemInfo = "MemTotal:       16777216 kB\n"
                                        "MemFree:         4194304 kB\n"
                                        "MemAvailable:    7340032 kB\n"
                                        "Buffers:          131072 kB\n"
                                        "Cached:          5242880 kB\n"
                                        "SwapCached:        65536 kB\n"
                                        "Active:          6291456 kB\n"
                                        "Inactive:        3145728 kB\n"
                                        "Active(anon):    3145728 kB\n"
                                        "Inactive(anon):  1048576 kB\n"
                                        "Active(file):    2097152 kB\n"
                                        "Inactive(file):  3145728 kB\n"
                                        "Unevictable:       32768 kB\n"
                                        "Mlocked:           32768 kB\n"
                                        "SwapTotal:       4194304 kB\n"
                                        "SwapFree:        3145728 kB\n"
                                        "Zswap:            262144 kB\n"
                                        "Zswapped:         786432 kB\n"
                                        "Dirty:               512 kB\n"
                                        "AnonPages:       4128768 kB\n"
                                        "Shmem:            393216 kB\n"
                                        "KReclaimable:     524288 kB\n"
                                        "Slab:             786432 kB\n"
                                        "SReclaimable:     458752 kB\n"
                                        "SUnreclaim:       262144 kB\n"
                                        "HugePages_Total:       0\n"
                                        "Hugepagesize:       2048 kB\n"
                                        "DirectMap2M:    16777216 kB\n";

MemorySnapshot values(std::uint64_t total, std::uint64_t app, std::uint64_t wired, std::uint64_t compressed,
                      std::uint64_t cached) {
    MemorySnapshot s;
    s.total = total;
    s.app = app;
    s.wired = wired;
    s.compressed = compressed;
    s.cached = cached;
    return s;
}

TEST(MemorySnapshot, DerivedFiguresSaturateInsteadOfWrapping) {
    struct Row {
        const char* what;
        MemorySnapshot s;
        std::uint64_t used, available, free;
        double fraction;
    };
    const Row rows[] = {
        {"ordinary", values(1000, 300, 100, 50, 200), 450, 550, 350, 0.45},
        {"parts exceed total", values(1000, 800, 300, 0, 0), 1000, 0, 0, 1.0},
        {"sum overflows", values(1000, kMax, 5, 1, 0), 1000, 0, 0, 1.0},
        {"nothing known", values(0, 0, 0, 0, 0), 0, 0, 0, 0.0},
        {"parts but no total", values(0, 10, 10, 10, 10), 0, 0, 0, 0.0},
        {"used plus cache exactly total", values(1000, 400, 100, 0, 500), 500, 500, 0, 0.5},
        {"one byte left over", values(1000, 400, 100, 0, 499), 500, 500, 1, 0.5},
        {"cache overflows", values(1000, 400, 0, 0, kMax), 400, 600, 0, 0.4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.s.used(), row.used);
        EXPECT_EQ(row.s.available(), row.available);
        EXPECT_EQ(row.s.free(), row.free);
        EXPECT_DOUBLE_EQ(row.s.usedFraction(), row.fraction);
    }
}

TEST(MemorySnapshot, PressureTakesPartInEquality) {
    MemorySnapshot a = values(1000, 300, 100, 50, 200);
    MemorySnapshot b = a;
    EXPECT_EQ(a, b);
    b.pressure = MemoryPressure::warning;
    EXPECT_NE(a, b);
    b = a;
    b.swapUsed = 1;
    EXPECT_NE(a, b);
}

TEST(MemorySnapshot, PressureNames) {
    EXPECT_EQ(toString(MemoryPressure::normal), "normal");
    EXPECT_EQ(toString(MemoryPressure::warning), "warning");
    EXPECT_EQ(toString(MemoryPressure::critical), "critical");
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
        {"calm", 0.0, 0.0, 100, 1000, P::normal},
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
        {"fallback: nothing available", none, none, 0, 1000, P::critical},
        {"fallback: plenty", none, none, 900, 1000, P::normal},
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
    EXPECT_EQ(s.wired, 16777216 * KiB - 4194304 * KiB - s.app - s.cached - s.compressed);
    EXPECT_EQ(s.swapUsed, 1048576 * KiB);
    // Under half available (44 %), so the stall figures count: "some" above 10, "full" below.
    EXPECT_EQ(s.pressure, MemoryPressure::warning);
    EXPECT_EQ(s.used() + s.available(), s.total);
}

TEST(MemoryReader, ReclaimableKernelMemoryPrefersTheWiderCounter) {
    struct Row {
        const char* what;
        const char* lines;
        std::uint64_t cached;
    };
    const Row rows[] = {
        {"both", "KReclaimable: 300 kB\nSReclaimable: 200 kB\n", 1300 * KiB},
        {"slab only (older kernel)", "SReclaimable: 200 kB\n", 1200 * KiB},
        {"neither", "", 1000 * KiB},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempTree t;
        t.text("proc/meminfo",
               std::string("MemTotal: 8000 kB\nActive(file): 600 kB\nInactive(file): 400 kB\n") + row.lines);
        EXPECT_EQ(MemoryReader::snapshot(t.path("proc"), t.path("sys")).cached, row.cached);
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
    // 20 % available: a warning by the fallback rule.
    constexpr const char* kMemInfo = "MemTotal: 1000 kB\nMemFree: 100 kB\nMemAvailable: 200 kB\n";
    struct Row {
        const char* what;
        std::optional<std::string> pressure;
        MemoryPressure expected;
    };
    const Row rows[] = {
        {"calm stall figures",
         "some avg10=0.00 avg60=0.00 avg300=0.00 total=0\n"
         "full avg10=0.00 avg60=0.00 avg300=0.00 total=0\n",
         MemoryPressure::normal},
        {"full stalls",
         "some avg10=30.00 avg60=0.00 avg300=0.00 total=9\n"
         "full avg10=10.00 avg60=0.00 avg300=0.00 total=9",
         MemoryPressure::critical},
        {"no pressure file", std::nullopt, MemoryPressure::warning},
        {"empty pressure file", "", MemoryPressure::warning},
        {"unparsable pressure file", "some avg10=high\nfull\n", MemoryPressure::warning},
        {"negative figure", "some avg10=-3.00 avg60=0 avg300=0 total=0\n", MemoryPressure::warning},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempTree t;
        t.text("proc/meminfo", kMemInfo);
        if (row.pressure) t.text("proc/pressure/memory", *row.pressure);
        EXPECT_EQ(MemoryReader::snapshot(t.path("proc"), t.path("sys")).pressure, row.expected);
    }
}

TEST(MemoryReader, MissingMemInfoGivesZeros) {
    TempTree t;
    t.text("proc/pressure/memory",
           "some avg10=99.00 avg60=0 avg300=0 total=0\nfull avg10=99.00 avg60=0 avg300=0 total=0\n");
    EXPECT_EQ(MemoryReader::snapshot(t.path("proc"), t.path("sys")), MemorySnapshot{});
    EXPECT_EQ(MemoryReader::snapshot(t.path("nowhere"), t.path("nowhere")), MemorySnapshot{});
}

TEST(MemoryReader, SkipsMalformedLines) {
    TempTree t;
    t.text("proc/meminfo", "MemTotal:\n"
                           "MemTotal: 99999999999999999999999 kB\n"
                           "MemTotal: 12x kB\n"
                           "MemTotal: 2000 MB\n"
                           "MemTotal: 8000 kB\n"
                           "MemTotal: 1 kB\n" // only the first good line counts
                           "MemFree 5000 kB\n"
                           "\x01\xff\xfe garbage: \x80\n"
                           ":\n"
                           "\n"
                           "Active(anon): -5 kB\n"
                           "Inactive(anon):     700 kB   \n"
                           "MemFree: 1000 kB\n"
                           "SwapTotal: 2048 kB\n"
                           "SwapFre");
    const MemorySnapshot s = MemoryReader::snapshot(t.path("proc"), t.path("sys"));
    EXPECT_EQ(s.total, 8000 * KiB);
    EXPECT_EQ(s.app, 700 * KiB);
    EXPECT_EQ(s.wired, 6300 * KiB);
    EXPECT_EQ(s.swapUsed, 2048 * KiB);
}

TEST(MemoryReader, WiredNeverWraps) {
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
    EXPECT_LE(s.used(), s.total);
    EXPECT_LE(s.cached, s.total);
    EXPECT_EQ(s.used() + s.available(), s.total);
}

} // namespace
} // namespace brisklet
