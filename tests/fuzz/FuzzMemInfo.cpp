// /proc/meminfo, the memory pressure file and a zram device's mm_stat.

#include "core/proc/MemoryReader.h"

#include "FuzzCheck.h"

#include <limits>

FUZZ_TEXT_HARNESS(text) {
    // The same bytes stand for meminfo and for the pressure file: each parser passes over the other's
    // lines, so one input reaches both. The zram figures test the sums at both ends of their range.
    for (const std::optional<std::string_view> pressure :
         {std::optional(text), std::optional<std::string_view>()}) {
        for (const std::uint64_t zram : {std::uint64_t{0}, std::numeric_limits<std::uint64_t>::max()}) {
            const MemorySnapshot s = MemoryReader::snapshotFromText(text, pressure, zram);
            // Counters read at different instants need not add up; the figures shown must.
            FUZZ_CHECK(s.wired <= s.total);
            FUZZ_CHECK(s.used() + s.available() == s.total);
            FUZZ_CHECK(s.free() <= s.available());
            FUZZ_CHECK(s.usedFraction() >= 0.0 && s.usedFraction() <= 1.0);
            FUZZ_CHECK(s.total != 0 || s.pressure == MemoryPressure::normal);
        }
    }
    MemoryReader::zramMemoryUsed(text);
}
