#pragma once

#include "core/proc/MemorySnapshot.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace brisklet::MemoryReader {

// Reads the kernel's memory counters (meminfo, memory pressure stall information, zram device
// statistics). Cheap enough to call every few seconds; never throws. Without a readable meminfo
// the snapshot is all zeros with normal pressure.
MemorySnapshot snapshot(const std::filesystem::path& procRoot = "/proc",
                        const std::filesystem::path& sysRoot = "/sys");

// The same from the files' contents: meminfo, the memory pressure file (nothing when the kernel
// has none) and the bytes the zram devices occupy in all.
MemorySnapshot snapshotFromText(std::string_view memInfo, std::optional<std::string_view> pressure,
                                std::uint64_t zramUsed);

// The memory a zram device's compressed store really occupies: the third field of its mm_stat;
// 0 when that is not a number.
std::uint64_t zramMemoryUsed(std::string_view mmStat);

// The pressure verdict from whatever the kernel offered. `someAvg10` and `fullAvg10` are the
// ten-second stall percentages of the pressure file (absent when the file is missing or
// unparsable); `available` is MemAvailable in bytes (absent on kernels that do not report it).
// Plenty of reclaimable memory always means normal: stalls then come from something else
// (a cgroup limit, one thrashing job) and are not worth alarming the user about.
MemoryPressure classifyPressure(std::optional<double> someAvg10, std::optional<double> fullAvg10,
                                std::optional<std::uint64_t> available, std::uint64_t total);

} // namespace brisklet::MemoryReader
