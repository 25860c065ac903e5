// /proc/PID/cgroup and the systemd unit names in it, which tell which app a process belongs to.

#include "host/AppScan.h"

#include "FuzzCheck.h"

namespace {

using Kind = AppScan::UnitReading::Kind;

void checkReading(const AppScan::UnitReading& reading) {
    // An app unit always offers an id to look up, and nothing else ever does.
    FUZZ_CHECK((reading.kind == Kind::app) == !reading.candidateIds.empty());
    if (reading.kind == Kind::app) FUZZ_CHECK(reading.unit.starts_with("app-"));
    // Longest first, each the tail of the one before it after a dash.
    for (std::size_t i = 0; i < reading.candidateIds.size(); ++i) {
        const std::string& id = reading.candidateIds[i];
        FUZZ_CHECK(!id.empty());
        if (i == 0) continue;
        const std::string& longer = reading.candidateIds[i - 1];
        FUZZ_CHECK(id.size() < longer.size() && longer.ends_with(id));
        FUZZ_CHECK(longer[longer.size() - id.size() - 1] == '-');
    }
}

} // namespace

FUZZ_TEXT_HARNESS(text) {
    const auto path = AppScan::systemdCgroupPath(text);
    if (path) {
        FUZZ_CHECK(path->find('\n') == std::string::npos);
        checkReading(AppScan::readAppUnit(*path));
    }
    checkReading(AppScan::readAppUnit(text));

    const std::string unescaped = AppScan::unescapeUnitName(text);
    FUZZ_CHECK(unescaped.size() <= text.size());
    if (text.find('\\') == std::string_view::npos) FUZZ_CHECK(unescaped == text);
    // Every byte written as systemd escapes it comes back, except NUL, which never does.
    std::string escaped;
    std::string plain;
    for (const char c : text) {
        if (c == '\0') continue;
        static constexpr char kHex[] = "0123456789abcdef";
        const auto byte = static_cast<unsigned char>(c);
        escaped += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
        plain += c;
    }
    FUZZ_CHECK(AppScan::unescapeUnitName(escaped) == plain);
}
