#pragma once

#include <cstdint>
#include <string_view>

namespace brisklet {

// How hard the system is fighting for memory right now, mildest first.
enum class MemoryPressure { normal, warning, critical };

std::string_view toString(MemoryPressure pressure);

// One reading of the machine's memory, all figures in bytes. The derived figures saturate rather
// than wrap: the parts come from different kernel counters read at slightly different moments
// and need not add up exactly.
struct MemorySnapshot {
    std::uint64_t total = 0;
    std::uint64_t app = 0;        // anonymous memory of processes
    std::uint64_t wired = 0;      // kernel and locked memory that cannot be reclaimed
    std::uint64_t compressed = 0; // memory holding compressed pages (zswap pool, zram)
    std::uint64_t cached = 0;     // file cache and reclaimable kernel caches
    std::uint64_t swapUsed = 0;
    MemoryPressure pressure = MemoryPressure::normal;

    std::uint64_t used() const;
    std::uint64_t available() const;
    std::uint64_t free() const;
    double usedFraction() const;

    bool operator==(const MemorySnapshot&) const = default;
};

} // namespace brisklet
