#include "core/proc/ProcessReader.h"

#include "core/fs/Descriptor.h"
#include "core/fs/Utf8.h"
#include "core/proc/ProcFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <limits>
#include <span>
#include <string_view>
#include <system_error>

namespace brisklet::ProcessReader {

namespace {

namespace fs = std::filesystem;
using ProcFiles::readAt;
using ProcFiles::readLinkAt;

std::string_view trimLeft(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

template <typename Integer> std::optional<Integer> parseWhole(std::string_view s) {
    Integer value{};
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
    return value;
}

// A "Key:   123 kB" line of status, in bytes.
std::optional<std::uint64_t> kibLine(std::string_view value) {
    value = trimLeft(value);
    std::string_view digits = value.substr(0, value.find_first_of(" \t"));
    const std::string_view unit = trimLeft(value.substr(digits.size()));
    if (unit != "kB") return std::nullopt;
    const auto kib = parseWhole<std::uint64_t>(digits);
    if (!kib || *kib > std::numeric_limits<std::uint64_t>::max() / 1024) return std::nullopt;
    return *kib * 1024;
}

// The kernel marks an executable that was deleted (or replaced by an update) while running by
// appending " (deleted)". A file can legitimately carry that name, so the suffix is only taken
// for the marker when no such file exists.
std::string withoutDeletedMarker(std::string path) {
    constexpr std::string_view kMarker = " (deleted)";
    if (!std::string_view(path).ends_with(kMarker)) return path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) return path;
    path.resize(path.size() - kMarker.size());
    return path;
}

std::optional<ProcessSample> readEntry(int procFd, std::int32_t pid, const char* entry) {
    // Every file is opened relative to the one process folder, so all of them describe the same
    // process even if the identifier is reused mid-read (the old folder then just stops reading).
    const Descriptor dir(::openat(procFd, entry, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir) return std::nullopt;
    std::array<char, 4096> buffer;
    std::string overflow;

    const auto stat = readAt(dir.get(), "stat", buffer, overflow);
    if (!stat) return std::nullopt;
    const auto fields = parseStat(*stat);
    if (!fields) return std::nullopt;
    ProcessSample sample;
    sample.pid = pid;
    sample.parent = fields->parent;
    sample.name = validUtf8(fields->name);

    const auto status = readAt(dir.get(), "status", buffer, overflow);
    if (!status) return std::nullopt;
    const auto footprint = parseFootprint(*status);
    if (!footprint) return std::nullopt;
    sample.footprint = *footprint;

    if (auto exe = readLinkAt(dir.get(), "exe"); exe && !exe->empty()) {
        sample.path = validUtf8(withoutDeletedMarker(std::move(*exe)));
        const std::size_t slash = sample.path.rfind('/');
        std::string name = slash == std::string::npos ? sample.path : sample.path.substr(slash + 1);
        if (!name.empty()) sample.name = std::move(name);
    }
    return sample;
}

Descriptor openProcessDir(std::int32_t pid, const fs::path& procRoot) {
    if (pid < 1) return Descriptor(-1);
    const fs::path dir = procRoot / std::to_string(pid);
    return Descriptor(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// Process folders are named by the decimal identifier, without leading zeros.
std::optional<std::int32_t> pidFromName(std::string_view name) {
    if (name.empty() || name.front() == '0') return std::nullopt;
    const auto pid = parseWhole<std::int32_t>(name);
    if (!pid || *pid < 1) return std::nullopt;
    return pid;
}

} // namespace

std::optional<StatFields> parseStat(std::string_view text) {
    const std::size_t open = text.find('(');
    const std::size_t close = text.rfind(')');
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::nullopt;
    StatFields fields;
    fields.name = text.substr(open + 1, close - open - 1);
    std::string_view rest = trimLeft(text.substr(close + 1));
    const std::size_t stateEnd = rest.find(' ');
    if (stateEnd == 0 || stateEnd == std::string_view::npos) return std::nullopt;
    rest = trimLeft(rest.substr(stateEnd));
    const auto parent = parseWhole<std::int32_t>(rest.substr(0, rest.find_first_of(" \n")));
    if (!parent) return std::nullopt;
    fields.parent = *parent;
    return fields;
}

std::optional<std::uint64_t> parseFootprint(std::string_view status) {
    std::optional<std::uint64_t> rssAnon;
    std::uint64_t swap = 0;
    while (!status.empty()) {
        const std::size_t end = status.find('\n');
        const std::string_view line = status.substr(0, end);
        if (line.starts_with("RssAnon:"))
            rssAnon = kibLine(line.substr(8));
        else if (line.starts_with("VmSwap:"))
            swap = kibLine(line.substr(7)).value_or(0);
        if (end == std::string_view::npos) break;
        status.remove_prefix(end + 1);
    }
    if (!rssAnon) return std::nullopt;
    return *rssAnon > std::numeric_limits<std::uint64_t>::max() - swap
               ? std::numeric_limits<std::uint64_t>::max()
               : *rssAnon + swap;
}

std::vector<std::string> splitArguments(std::string_view cmdline) {
    std::vector<std::string> args;
    while (!cmdline.empty()) {
        const std::size_t end = cmdline.find('\0');
        args.push_back(validUtf8(cmdline.substr(0, end)));
        if (end == std::string_view::npos) break;
        cmdline.remove_prefix(end + 1);
    }
    return args;
}

std::vector<ProcessSample> sample(const fs::path& procRoot) {
    std::vector<ProcessSample> samples;
    DIR* dir = ::opendir(procRoot.c_str());
    if (dir == nullptr) return samples;
    samples.reserve(512);
    const int procFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN) continue;
        const auto pid = pidFromName(entry->d_name);
        if (!pid) continue;
        if (auto s = readEntry(procFd, *pid, entry->d_name)) samples.push_back(std::move(*s));
    }
    ::closedir(dir);
    return samples;
}

std::optional<ProcessSample> read(std::int32_t pid, const fs::path& procRoot) {
    if (pid < 1) return std::nullopt;
    const Descriptor proc(::open(procRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!proc) return std::nullopt;
    return readEntry(proc.get(), pid, std::to_string(pid).c_str());
}

std::vector<std::string> arguments(std::int32_t pid, const fs::path& procRoot) {
    const Descriptor dir = openProcessDir(pid, procRoot);
    if (!dir) return {};
    std::array<char, 4096> buffer;
    std::string overflow;
    const auto text = readAt(dir.get(), "cmdline", buffer, overflow);
    return text ? splitArguments(*text) : std::vector<std::string>();
}

std::optional<std::string> workingDirectory(std::int32_t pid, const fs::path& procRoot) {
    const Descriptor dir = openProcessDir(pid, procRoot);
    if (!dir) return std::nullopt;
    auto target = readLinkAt(dir.get(), "cwd");
    if (!target || target->empty()) return std::nullopt;
    return validUtf8(*target);
}

bool terminate(std::int32_t pid) {
    return pid >= 1 && ::kill(pid, SIGTERM) == 0;
}

} // namespace brisklet::ProcessReader
