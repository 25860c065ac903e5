// What the kernel shows of processes and memory: a process names itself and may rewrite its command line,
// so any byte may turn up.

#include "core/fs/Utf8.h"
#include "core/proc/MemoryReader.h"
#include "core/proc/ProcessReader.h"
#include "host/AppScan.h"

#include "FuzzCheck.h"

#include <cstdio>
#include <limits>

namespace {

using Kind = AppScan::UnitReading::Kind;

// An app unit always offers ids to look up, longest first, each the tail of the one before it after
// a dash; nothing else offers any.
void checkReading(const AppScan::UnitReading& r) {
    FUZZ_CHECK((r.kind == Kind::app) == !r.candidateIds.empty());
    FUZZ_CHECK(r.kind != Kind::app || (r.unit.starts_with("app-") && !r.candidateIds.back().empty()));
    for (std::size_t i = 1; i < r.candidateIds.size(); ++i)
        FUZZ_CHECK(r.candidateIds[i].size() < r.candidateIds[i - 1].size() &&
                   r.candidateIds[i - 1].ends_with("-" + r.candidateIds[i]));
}

} // namespace

// /proc/PID/stat: a process names itself, so the name between the parentheses may hold anything.
FUZZ_FORMAT(ProcStat, text) {
    if (const auto fields = ProcessReader::parseStat(text)) validUtf8(fields->name);
    // Whatever a process calls itself, a line written the way the kernel writes it gives the name back.
    const std::string line = "4242 (" + std::string(text) +
                             ") S 77 4242 4242 0 -1 4194560 1523 0 0 0 12 5 0 0 20 0 1 0 3456 9351168 896\n";
    const auto fields = ProcessReader::parseStat(line);
    FUZZ_CHECK(fields && fields->name == text && fields->parent == 77);
}

// /proc/PID/status, for the private memory of a process.
FUZZ_FORMAT(ProcStatus, text) {
    ProcessReader::parseFootprint(text);
    // Whatever comes before them, the last RssAnon and VmSwap lines decide, and their sum is exact.
    const std::uint64_t rssAnon = text.size() * 4 + 1;
    const std::uint64_t swap = text.size() % 7;
    const std::string status = std::string(text) + "\nRssAnon:\t" + std::to_string(rssAnon) +
                               " kB\nVmSwap:\t" + std::to_string(swap) + " kB\nThreads:\t1\n";
    FUZZ_CHECK(ProcessReader::parseFootprint(status) == (rssAnon + swap) * 1024);
}

// /proc/PID/cmdline: the arguments as a process left them, which it may have rewritten freely.
FUZZ_FORMAT(ProcCmdline, text) {
    const auto args = ProcessReader::splitArguments(text);
    // One argument per NUL, plus an unterminated last one.
    const auto nuls = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\0'));
    FUZZ_CHECK(args.size() == nuls + (!text.empty() && text.back() != '\0' ? 1 : 0));
    for (const std::string& arg : args)
        FUZZ_CHECK(arg.find('\0') == std::string::npos && validUtf8(arg) == arg);
    // Text that was valid to begin with comes back unchanged.
    std::string joined;
    for (const std::string& arg : args)
        joined += arg + '\0';
    FUZZ_CHECK(validUtf8(text) != text || joined == text || joined == std::string(text) + '\0');
}

// /proc/meminfo, the memory pressure file and a zram device's mm_stat.
FUZZ_FORMAT(MemInfo, text) {
    // The same bytes stand for meminfo and for the pressure file: each parser passes over the other's
    // lines, so one input reaches both. The zram figures test the sums at both ends of their range.
    for (const auto pressure : {std::optional(text), std::optional<std::string_view>()})
        for (const std::uint64_t zram : {std::uint64_t{0}, std::numeric_limits<std::uint64_t>::max()}) {
            const MemorySnapshot s = MemoryReader::snapshotFromText(text, pressure, zram);
            // Counters read at different instants need not add up; the figures shown must.
            FUZZ_CHECK(s.wired <= s.total && s.used() + s.available() == s.total &&
                       s.free() <= s.available());
            FUZZ_CHECK(s.usedFraction() >= 0.0 && s.usedFraction() <= 1.0);
            FUZZ_CHECK(s.total != 0 || s.pressure == MemoryPressure::normal);
        }
    MemoryReader::zramMemoryUsed(text);
}

// /proc/PID/cgroup and the systemd unit names in it, which tell which app a process belongs to.
FUZZ_FORMAT(Cgroup, text) {
    if (const auto path = AppScan::systemdCgroupPath(text)) {
        FUZZ_CHECK(path->find('\n') == std::string::npos);
        checkReading(AppScan::readAppUnit(*path));
    }
    checkReading(AppScan::readAppUnit(text));
    const std::string unescaped = AppScan::unescapeUnitName(text);
    FUZZ_CHECK(unescaped.size() <= text.size() && (text.find('\\') != text.npos || unescaped == text));
    // Every byte written as systemd escapes it (in either case of hex digits) comes back, except NUL,
    // which never does; an escape left incomplete or with no hex digits after it stays as it is.
    std::string escaped, plain;
    for (const char c : text) {
        if (c == '\0') continue;
        char hex[5];
        std::snprintf(hex, sizeof hex, plain.size() % 2 ? "\\x%02X" : "\\x%02x",
                      static_cast<unsigned char>(c));
        escaped += hex;
        plain += c;
    }
    FUZZ_CHECK(AppScan::unescapeUnitName(escaped + "\\x0\\xg0\\x00") == plain + "\\x0\\xg0\\x00");
    FUZZ_CHECK(AppScan::unescapeUnitName(escaped) == plain);
}
