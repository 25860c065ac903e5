#include "app/SystemInfo.h"

#include "core/fs/Utf8.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <array>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>

namespace brisklet::SystemInfo {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSpace = " \t\r\n";

std::optional<std::string> readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return text;
}

std::string_view trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(kSpace);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(kSpace) - first + 1);
}

// Runs of blanks become one space: some processors pad their name to a fixed width.
std::string collapseBlanks(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (const char c : s) {
        const bool blank = c == ' ' || c == '\t';
        if (blank && (out.empty() || out.back() == ' ')) continue;
        out.push_back(blank ? ' ' : c);
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

// The value of a shell-style assignment as the shell would see it: double quotes allow the
// backslash escapes \" \\ \$ \`, single quotes are literal, an unquoted backslash escapes the next
// character, and quoted parts may be joined ("a"'b'c). Unquoted trailing blanks are dropped;
// blanks inside an unquoted value are kept, since hand-written files often omit the quotes.
std::string shellValue(std::string_view raw) {
    std::string value;
    std::size_t keep = 0; // length up to the last character that is not unquoted trailing blank
    std::size_t i = raw.find_first_not_of(" \t");
    if (i == std::string_view::npos) return value;
    while (i < raw.size()) {
        const char c = raw[i++];
        if (c == '"') {
            while (i < raw.size() && raw[i] != '"') {
                if (raw[i] == '\\' && i + 1 < raw.size() &&
                    std::string_view("\"\\$`").find(raw[i + 1]) != std::string_view::npos)
                    ++i;
                value.push_back(raw[i++]);
            }
            ++i; // closing quote (an unclosed one just ends the value)
            keep = value.size();
        } else if (c == '\'') {
            const std::size_t close = raw.find('\'', i);
            const std::size_t end = close == std::string_view::npos ? raw.size() : close;
            value.append(raw.substr(i, end - i));
            i = end + 1;
            keep = value.size();
        } else if (c == '\\') {
            if (i < raw.size()) value.push_back(raw[i++]);
            keep = value.size();
        } else {
            value.push_back(c);
            if (c != ' ' && c != '\t' && c != '\r') keep = value.size();
        }
    }
    value.resize(keep);
    return value;
}

// The value assigned to `key` in an environment-style file (machine-info, os-release); the last
// assignment wins, as it would in the shell.
std::optional<std::string> assignment(std::string_view text, std::string_view key) {
    std::optional<std::string> found;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || trim(line.substr(0, equals)) != key) continue;
        found = shellValue(line.substr(equals + 1));
    }
    return found;
}

std::string hostName(const Sources& sources) {
    if (const auto text = readText(sources.hostname)) {
        const std::string_view name = trim(*text);
        // The kernel's placeholder before anyone set a name.
        return name == "(none)" ? std::string() : std::string(name);
    }
    std::array<char, 256> buffer{};
    if (::gethostname(buffer.data(), buffer.size() - 1) != 0) return {};
    return std::string(trim(buffer.data()));
}

// "6.1.0-18-amd64" → "6.1"; just the major number when there is no minor one.
std::string kernelVersion(std::string_view release) {
    release = trim(release);
    const auto digits = [](std::string_view s) {
        std::size_t n = 0;
        while (n < s.size() && s[n] >= '0' && s[n] <= '9')
            ++n;
        return n;
    };
    const std::size_t major = digits(release);
    if (major == 0) return {};
    std::string version(release.substr(0, major));
    if (major < release.size() && release[major] == '.') {
        const std::size_t minor = digits(release.substr(major + 1));
        if (minor > 0) version.append(release.substr(major, minor + 1));
    }
    return version;
}

} // namespace

std::string greetingForHour(int hour) {
    if (hour >= 5 && hour <= 11) return "Good morning";
    if (hour >= 12 && hour <= 16) return "Good afternoon";
    return "Good evening";
}

std::string greeting() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_r(&now, &local) == nullptr) return greetingForHour(-1);
    return greetingForHour(local.tm_hour);
}

std::string readComputerName(const Sources& sources) {
    if (const auto text = readText(sources.machineInfo)) {
        if (const auto pretty = assignment(*text, "PRETTY_HOSTNAME")) {
            const std::string_view name = trim(*pretty);
            if (!name.empty()) return validUtf8(name);
        }
    }
    const std::string host = hostName(sources);
    return host.empty() ? std::string("Your computer") : validUtf8(host);
}

std::string readChip(const Sources& sources) {
    std::ifstream in(sources.cpuInfo, std::ios::binary);
    std::string line;
    while (in && std::getline(in, line)) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos || trim(std::string_view(line).substr(0, colon)) != "model name")
            continue;
        const std::string name = collapseBlanks(trim(std::string_view(line).substr(colon + 1)));
        if (!name.empty()) return validUtf8(name);
    }
    return "Unknown processor";
}

std::string readOsVersion(const Sources& sources) {
    // os-release lives in /etc, or in /usr/lib on systems that keep /etc minimal.
    auto text = readText(sources.osRelease);
    if (!text) text = readText(sources.osReleaseFallback);
    if (text) {
        const std::string name(trim(assignment(*text, "NAME").value_or("")));
        const std::string version(trim(assignment(*text, "VERSION_ID").value_or("")));
        // Rolling distributions carry no version; their name alone is the honest answer.
        if (!name.empty()) return validUtf8(version.empty() ? name : name + ' ' + version);
    }
    std::string release;
    if (const auto kernel = readText(sources.kernelRelease)) {
        release = *kernel;
    } else {
        utsname uts{};
        if (::uname(&uts) == 0) release = uts.release;
    }
    const std::string version = kernelVersion(release);
    return version.empty() ? std::string("Linux") : "Linux " + version;
}

const std::string& computerName() {
    static const std::string name = readComputerName(Sources{});
    return name;
}

const std::string& chip() {
    static const std::string name = readChip(Sources{});
    return name;
}

const std::string& osVersion() {
    static const std::string version = readOsVersion(Sources{});
    return version;
}

} // namespace brisklet::SystemInfo
