#include "core/proc/MemorySnapshot.h"

#include <algorithm>
#include <limits>

namespace brisklet {

namespace {

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return b > std::numeric_limits<std::uint64_t>::max() - a ? std::numeric_limits<std::uint64_t>::max()
                                                             : a + b;
}

} // namespace

std::string_view toString(MemoryPressure pressure) {
    switch (pressure) {
    case MemoryPressure::normal:
        return "normal";
    case MemoryPressure::warning:
        return "warning";
    case MemoryPressure::critical:
        return "critical";
    }
    return "normal";
}

std::uint64_t MemorySnapshot::used() const {
    return std::min(saturatingAdd(saturatingAdd(app, wired), compressed), total);
}

std::uint64_t MemorySnapshot::available() const {
    return total - used();
}

std::uint64_t MemorySnapshot::free() const {
    const std::uint64_t taken = saturatingAdd(used(), cached);
    return taken >= total ? 0 : total - taken;
}

double MemorySnapshot::usedFraction() const {
    return total == 0 ? 0.0 : static_cast<double>(used()) / static_cast<double>(total);
}

} // namespace brisklet
