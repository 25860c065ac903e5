#include "core/proc/MemoryReader.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace brisklet {
namespace {

using test::TempTree;

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint64_t KiB = 1024;

// A meminfo as a 16 GiB desktop reports it, with the keys that share a prefix with the ones read
// (Active/Active(anon), Zswap/Zswapped, SwapCached, ...): anon 3 GiB + 1 GiB, file 2 GiB + 3 GiB,
// KReclaimable 512 MiB, Zswap 256 MiB, swap 1 GiB used. As one manifest line.
constexpr const char* kDesktopMemInfo =
    R"(MemTotal:       16777216 kB\nMemFree:         4194304 kB\nMemAvailable:    7340032 kB\n)"
    R"(Buffers:          131072 kB\nCached:          5242880 kB\nSwapCached:        65536 kB\n)"
    R"(Active:          6291456 kB\nInactive:        3145728 kB\nActive(anon):    3145728 kB\n)"
    R"(Inactive(anon):  1048576 kB\nActive(file):    2097152 kB\nInactive(file):  3145728 kB\n)"
    R"(SwapTotal:       4194304 kB\nSwapFree:        3145728 kB\nZswap:            262144 kB\n)"
    R"(Zswapped:         786432 kB\nAnonPages:       4128768 kB\nKReclaimable:     524288 kB\n)"
    R"(Slab:             786432 kB\nSReclaimable:     458752 kB\nHugePages_Total:       0\n)";

TEST(MemorySnapshot, DerivedFiguresSaturateInsteadOfWrapping) {
    // What, the snapshot, and its used, available and free memory and used fraction.
    const std::tuple<const char*, MemorySnapshot, std::uint64_t, std::uint64_t, std::uint64_t, double>
        rows[] = {
            {"parts exceed total", MemorySnapshot{1000, 800, 300, 0, 0}, 1000, 0, 0, 1.0},
            {"sum overflows", MemorySnapshot{1000, kMax, 5, 1, 0}, 1000, 0, 0, 1.0},
            {"parts but no total", MemorySnapshot{0, 10, 10, 10, 10}, 0, 0, 0, 0.0},
            {"used plus cache exactly total", MemorySnapshot{1000, 400, 100, 0, 500}, 500, 500, 0, 0.5},
            {"one byte left over", MemorySnapshot{1000, 400, 50, 50, 499}, 500, 500, 1, 0.5},
            {"cache overflows", MemorySnapshot{1000, 400, 0, 0, kMax}, 400, 600, 0, 0.4},
        };
    for (const auto& [what, s, used, available, free, fraction] : rows) {
        SCOPED_TRACE(what);
        EXPECT_EQ(s.used(), used);
        EXPECT_EQ(s.available(), available);
        EXPECT_EQ(s.free(), free);
        EXPECT_DOUBLE_EQ(s.usedFraction(), fraction);
    }
}

// Whole snapshots read from fixture trees. Wired memory is what is left of the total once free,
// anonymous, cache and compressed memory are taken out.
TEST(MemoryReader, ReadsSnapshotsFromProcAndSys) {
    using P = MemoryPressure;
    const std::string idle = "proc/pressure/memory = some avg10=0.00 avg60=0.00 avg300=0.00 total=0\\n"
                             "full avg10=0.00 avg60=0.00 avg300=0.00 total=0\\n";
    // 20 % available: a warning by the fallback rule, normal or critical only by the stall figures.
    const std::string fifth = "proc/meminfo = MemTotal: 1000 kB\\nMemFree: 100 kB\\nMemAvailable: 200 kB\n";
    const MemorySnapshot fifthRead{1000 * KiB, 0, 900 * KiB, 0, 0, 0, P::warning};
    const auto with = [](MemorySnapshot s, P pressure) {
        s.pressure = pressure;
        return s;
    };
    const struct {
        const char* what;
        std::string manifest;
        MemorySnapshot expected;
    } rows[] = {
        // Under half available (44 %), so the stall figures count: "some" above 10, "full" below.
        {"a 16 GiB desktop",
         "proc/meminfo = " + std::string(kDesktopMemInfo) + R"(
             proc/pressure/memory = some avg10=12.50 avg60=4.10 avg300=1.00 total=123456\nfull avg10=3.20 avg60=1.00 avg300=0.20 total=23456
             sys/block/zram0/mm_stat =   1073741824   268435456   301989888        0   301989888      120    0
             sys/block/sda/)",
         {16777216 * KiB, (3145728 + 1048576) * KiB, 2064384 * KiB, 262144 * KiB + 301989888,
          (2097152 + 3145728 + 524288) * KiB, 1048576 * KiB, P::warning}},
        // Reclaimable kernel memory prefers the wider counter; older kernels have only the narrower.
        {"KReclaimable",
         "proc/meminfo = MemTotal: 8000 kB\\nActive(file): 600 kB\\nInactive(file): 400 kB\\n"
         "KReclaimable: 300 kB\\nSReclaimable: 200 kB",
         {8000 * KiB, 0, 6700 * KiB, 0, 1300 * KiB, 0, P::normal}},
        {"SReclaimable",
         "proc/meminfo = MemTotal: 8000 kB\\nActive(file): 600 kB\\nInactive(file): 400 kB\\n"
         "SReclaimable: 200 kB",
         {8000 * KiB, 0, 6800 * KiB, 0, 1200 * KiB, 0, P::normal}},
        // zram devices add up; broken or uninitialised ones and other devices count nothing.
        {"zram",
         R"(proc/meminfo = MemTotal: 8000 kB\nMemFree: 1000 kB\nZswap: 10 kB\nZswapped: 999 kB
             sys/block/zram0/mm_stat = 4096 2048 1000 0 1000 0 0 0 0
             sys/block/zram1/mm_stat = 8192 4096 3000 0 3000 0 0
             sys/block/zram2/mm_stat = 4096 2048 lots
             sys/block/zram3/mm_stat = 4096 2048
             sys/block/zram4/
             sys/block/loop0/mm_stat = 1 1 777777)",
         {8000 * KiB, 0, 7000 * KiB - 10 * KiB - 4000, 10 * KiB + 4000, 0, 0, P::normal}},
        {"no stalls", fifth + idle, with(fifthRead, P::normal)},
        {"full stalls",
         fifth + "proc/pressure/memory = some avg10=30.00 avg60=0.00 avg300=0.00 total=9\\n"
                 "full avg10=10.00 avg60=0.00 avg300=0.00 total=9",
         with(fifthRead, P::critical)},
        {"no pressure file", fifth, fifthRead},
        {"unreadable stall figures", fifth + "proc/pressure/memory = some avg10=high\\nfull\\n", fifthRead},
        {"negative stall figures", fifth + "proc/pressure/memory = some avg10=-3.00 avg60=0 avg300=0 total=0",
         fifthRead},
        {"no meminfo", idle, MemorySnapshot{}},
        // Only the first well-formed line of a key counts.
        {"malformed lines",
         R"(proc/meminfo = MemTotal:\nMemTotal: 99999999999999999999999 kB\nMemTotal: 12x kB\nMemTotal: 2000 MB\nMemTotal: 8000 kB\nMemTotal: 1 kB\nMemFree 5000 kB\n)"
         "\x01\xff\xfe garbage: \x80\\n:\\n\\nActive(anon): -5 kB\\nInactive(anon):     700 kB   \\nMemFree: "
         "1000 kB\\n"
         "SwapTotal: 2048 kB\\nSwapFre",
         {8000 * KiB, 700 * KiB, 6300 * KiB, 0, 0, 2048 * KiB, P::normal}},
        // Counters sampled at different instants can claim more than the total: nothing wraps.
        {"counters past the total",
         R"(proc/meminfo = MemTotal: 1000 kB\nMemFree: 600 kB\nActive(anon): 300 kB\nActive(file): 300 kB\nSwapTotal: 100 kB\nSwapFree: 200 kB)",
         {1000 * KiB, 300 * KiB, 0, 0, 300 * KiB, 0, P::normal}},
    };
    for (const auto& row : rows) {
        TempTree t;
        t.build(row.manifest);
        EXPECT_EQ(MemoryReader::snapshot(t.path("proc"), t.path("sys")), row.expected) << row.what;
    }
}

} // namespace
} // namespace brisklet
