#include "core/fs/Bytes.h"

#include <array>
#include <limits>
#include <string_view>

namespace brisklet::Bytes {

namespace {

// Exact arithmetic: amount × 100 overflows 64 bits for the largest amounts.
__extension__ typedef unsigned __int128 u128;

constexpr std::array<std::string_view, 6> kUnits = {"KB", "MB", "GB", "TB", "PB", "EB"};

// KB shows whole numbers, MB one decimal, everything larger two: enough to tell amounts apart
// without pretending to a precision the figures don't have.
constexpr int decimalsFor(std::size_t unit) {
    return unit == 0 ? 0 : unit == 1 ? 1 : 2;
}

constexpr u128 power(u128 base, std::size_t exponent) {
    u128 result = 1;
    while (exponent-- > 0)
        result *= base;
    return result;
}

// Rounds amount / divisor × 10^decimals half away from zero, exactly.
u128 scaledRounded(std::uint64_t amount, u128 divisor, int decimals) {
    const u128 scaled = static_cast<u128>(amount) * power(10, static_cast<std::size_t>(decimals));
    return (scaled * 2 + divisor) / (divisor * 2);
}

std::string formatScaled(u128 value, int decimals) {
    const auto scale = static_cast<std::uint64_t>(power(10, static_cast<std::size_t>(decimals)));
    const auto whole = static_cast<std::uint64_t>(value / scale);
    auto fraction = static_cast<std::uint64_t>(value % scale);
    std::string text = std::to_string(whole);
    if (fraction == 0) return text;
    std::string digits = std::to_string(fraction);
    digits.insert(0, static_cast<std::size_t>(decimals) - digits.size(), '0');
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    return text + "." + digits;
}

std::string word(std::uint64_t amount, std::uint64_t base) {
    if (amount == 0) return "Zero KB";
    if (amount == 1) return "1 byte";
    if (amount < base) return std::to_string(amount) + " bytes";

    std::size_t unit = 0;
    while (unit + 1 < kUnits.size() && amount >= power(base, unit + 2))
        ++unit;

    u128 rounded = scaledRounded(amount, power(base, unit + 1), decimalsFor(unit));
    // Rounding may reach a whole next unit (999,500 bytes is not "1000 KB" but "1 MB").
    const u128 limit = static_cast<u128>(base) * power(10, static_cast<std::size_t>(decimalsFor(unit)));
    if (rounded >= limit && unit + 1 < kUnits.size()) {
        ++unit;
        rounded = scaledRounded(amount, power(base, unit + 1), decimalsFor(unit));
    }
    return formatScaled(rounded, decimalsFor(unit)) + " " + std::string(kUnits[unit]);
}

} // namespace

std::string disk(std::int64_t bytes) {
    if (bytes < 0) {
        // Only a difference can be negative; word its magnitude (INT64_MIN's too).
        const auto magnitude = static_cast<std::uint64_t>(-(bytes + 1)) + 1;
        std::string text = word(magnitude, 1000);
        text.insert(0, 1, '-');
        return text;
    }
    return word(static_cast<std::uint64_t>(bytes), 1000);
}

std::string memory(std::uint64_t bytes) {
    constexpr auto cap = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    return word(bytes > cap ? cap : bytes, 1024);
}

} // namespace brisklet::Bytes
