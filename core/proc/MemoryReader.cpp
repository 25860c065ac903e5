#include "core/proc/MemoryReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <limits>
#include <span>
#include <string_view>
#include <system_error>

namespace brisklet::MemoryReader {

namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

std::uint64_t add(std::uint64_t a, std::uint64_t b) {
    return b > kMax - a ? kMax : a + b;
}
std::uint64_t sub(std::uint64_t a, std::uint64_t b) {
    return b > a ? 0 : a - b;
}
std::uint64_t kib(std::uint64_t value) {
    return value > kMax / 1024 ? kMax : value * 1024;
}

// The whole of a small kernel file in one read, into caller-provided storage. When the file is
// larger than the buffer the trailing partial line is dropped, so no figure is ever cut short.
std::optional<std::string_view> readSmall(const fs::path& path, std::span<char> buffer) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::size_t filled = 0;
    bool failed = false;
    while (filled < buffer.size()) {
        const ssize_t n = ::read(fd, buffer.data() + filled, buffer.size() - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            failed = true;
            break;
        }
        if (n == 0) break;
        filled += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (failed) return std::nullopt;
    std::string_view text(buffer.data(), filled);
    if (filled == buffer.size()) {
        const std::size_t lastLine = text.rfind('\n');
        text = lastLine == std::string_view::npos ? std::string_view() : text.substr(0, lastLine + 1);
    }
    return text;
}

// Calls `visit(line)` for each line, the last one even without a final newline.
template <typename Visit> void forEachLine(std::string_view text, Visit&& visit) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        visit(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

std::string_view trimLeft(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The fields of meminfo this reader needs, in bytes; unset when the kernel does not report them.
struct MemInfo {
    std::optional<std::uint64_t> total, free, available, activeAnon, inactiveAnon, activeFile, inactiveFile,
        kReclaimable, sReclaimable, zswap, swapTotal, swapFree;

    std::optional<std::uint64_t>* field(std::string_view key) {
        // Exact names only: "Zswap" must not pick up "Zswapped", "MemFree" not "SwapFree".
        static constexpr std::pair<std::string_view, std::optional<std::uint64_t> MemInfo::*> kFields[] = {
            {"MemTotal", &MemInfo::total},
            {"MemFree", &MemInfo::free},
            {"MemAvailable", &MemInfo::available},
            {"Active(anon)", &MemInfo::activeAnon},
            {"Inactive(anon)", &MemInfo::inactiveAnon},
            {"Active(file)", &MemInfo::activeFile},
            {"Inactive(file)", &MemInfo::inactiveFile},
            {"KReclaimable", &MemInfo::kReclaimable},
            {"SReclaimable", &MemInfo::sReclaimable},
            {"Zswap", &MemInfo::zswap},
            {"SwapTotal", &MemInfo::swapTotal},
            {"SwapFree", &MemInfo::swapFree},
        };
        for (const auto& [name, member] : kFields) {
            if (name == key) return &(this->*member);
        }
        return nullptr;
    }
};

// "Key:   12345 kB". Anything else (no colon, no number, trailing junk) is skipped; the first
// well-formed occurrence of a key wins.
void parseMemInfoLine(std::string_view line, MemInfo& info) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return;
    std::optional<std::uint64_t>* slot = info.field(line.substr(0, colon));
    if (slot == nullptr || slot->has_value()) return;
    const std::string_view rest = trimRight(trimLeft(line.substr(colon + 1)));
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
    if (ec != std::errc() || end == rest.data()) return;
    const std::string_view unit =
        trimLeft(std::string_view(end, static_cast<std::size_t>(rest.data() + rest.size() - end)));
    if (!unit.empty() && unit != "kB") return;
    *slot = kib(value);
}

struct Stalls {
    std::optional<double> some, full;
};

// "some avg10=1.23 avg60=… avg300=… total=…" and the same for "full".
Stalls parsePressure(std::string_view text) {
    Stalls stalls;
    forEachLine(text, [&](std::string_view line) {
        std::optional<double>* slot = nullptr;
        if (line.starts_with("some "))
            slot = &stalls.some;
        else if (line.starts_with("full "))
            slot = &stalls.full;
        if (slot == nullptr || slot->has_value()) return;
        constexpr std::string_view kKey = " avg10=";
        const std::size_t at = line.find(kKey);
        if (at == std::string_view::npos) return;
        const char* first = line.data() + at + kKey.size();
        const char* last = line.data() + line.size();
        double value = 0;
        const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::fixed);
        if (ec != std::errc() || end == first || (end != last && *end != ' ') || !(value >= 0)) return;
        *slot = value;
    });
    return stalls;
}

std::uint64_t zramTotal(const fs::path& sysRoot) {
    std::uint64_t sum = 0;
    std::error_code ec;
    for (fs::directory_iterator it(sysRoot / "block", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with("zram")) continue;
        std::array<char, 512> buffer;
        if (const auto mmStat = readSmall(it->path() / "mm_stat", buffer))
            sum = add(sum, zramMemoryUsed(*mmStat));
    }
    return sum;
}

// Is `part` strictly below numerator/denominator of `whole`? Exact, without overflow.
bool below(std::uint64_t part, std::uint64_t whole, unsigned numerator, unsigned denominator) {
    __extension__ using Wide = unsigned __int128;
    return static_cast<Wide>(part) * denominator < static_cast<Wide>(whole) * numerator;
}

} // namespace

MemoryPressure classifyPressure(std::optional<double> someAvg10, std::optional<double> fullAvg10,
                                std::optional<std::uint64_t> available, std::uint64_t total) {
    if (total == 0) return MemoryPressure::normal;
    if (available && !below(*available, total, 1, 2)) return MemoryPressure::normal;
    constexpr double kStallPercent = 10.0;
    if (someAvg10 || fullAvg10) {
        if (fullAvg10 && *fullAvg10 >= kStallPercent) return MemoryPressure::critical;
        if (someAvg10 && *someAvg10 >= kStallPercent) return MemoryPressure::warning;
        return MemoryPressure::normal;
    }
    // No stall figures and no estimate of what could be reclaimed: nothing to base an alarm on.
    if (!available) return MemoryPressure::normal;
    if (below(*available, total, 15, 100)) return MemoryPressure::critical;
    if (below(*available, total, 25, 100)) return MemoryPressure::warning;
    return MemoryPressure::normal;
}

std::uint64_t zramMemoryUsed(std::string_view mmStat) {
    constexpr std::string_view kSpace = " \t\n";
    std::string_view rest = mmStat;
    for (int field = 1; field <= 3; ++field) {
        const std::size_t start = rest.find_first_not_of(kSpace);
        if (start == std::string_view::npos) return 0;
        rest.remove_prefix(start);
        const std::string_view token = rest.substr(0, rest.find_first_of(kSpace));
        rest.remove_prefix(token.size());
        if (field < 3) continue;
        std::uint64_t value = 0;
        const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
        return ec == std::errc() && end == token.data() + token.size() ? value : 0;
    }
    return 0;
}

MemorySnapshot snapshot(const fs::path& procRoot, const fs::path& sysRoot) {
    // meminfo is under 2 KiB on current kernels; the rest of the buffer is headroom.
    std::array<char, 8192> memInfoBuffer;
    const auto memInfoText = readSmall(procRoot / "meminfo", memInfoBuffer);
    if (!memInfoText) return {};
    std::array<char, 8192> pressureBuffer;
    const auto pressureText = readSmall(procRoot / "pressure" / "memory", pressureBuffer);
    return snapshotFromText(*memInfoText, pressureText, zramTotal(sysRoot));
}

MemorySnapshot snapshotFromText(std::string_view memInfo, std::optional<std::string_view> pressure,
                                std::uint64_t zramUsed) {
    MemInfo info;
    forEachLine(memInfo, [&](std::string_view line) { parseMemInfoLine(line, info); });

    MemorySnapshot s;
    s.total = info.total.value_or(0);
    s.app = add(info.activeAnon.value_or(0), info.inactiveAnon.value_or(0));
    s.compressed = add(info.zswap.value_or(0), zramUsed);
    s.cached = add(add(info.activeFile.value_or(0), info.inactiveFile.value_or(0)),
                   info.kReclaimable ? *info.kReclaimable : info.sReclaimable.value_or(0));
    s.wired = sub(sub(sub(sub(s.total, info.free.value_or(0)), s.app), s.cached), s.compressed);
    s.swapUsed = sub(info.swapTotal.value_or(0), info.swapFree.value_or(0));

    const Stalls stalls = pressure ? parsePressure(*pressure) : Stalls{};
    s.pressure = classifyPressure(stalls.some, stalls.full, info.available, s.total);
    return s;
}

} // namespace brisklet::MemoryReader
