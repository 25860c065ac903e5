#include "host/AppScan.h"

#include "core/desktop/DesktopExec.h"
#include "core/fs/Descriptor.h"
#include "core/fs/SmallFile.h"
#include "core/fs/Utf8.h"
#include "core/proc/ProcFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>

namespace brisklet::AppScan {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxProcFileSize = 64 * 1024;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

template <typename Integer> std::optional<Integer> parseWhole(std::string_view s) {
    Integer value{};
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

std::string lowercase(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return out;
}

struct ProcessFacts {
    pid_t pid = 0;
    pid_t parent = 0;
    std::uint64_t startTime = 0; // clock ticks after boot; orders processes by age
    UnitReading unit;
};

// Parent (field 4) and start time (field 22) of /proc/PID/stat. The command name before them may
// hold anything, parentheses and spaces included, so fields are counted from the last ")".
std::optional<std::pair<pid_t, std::uint64_t>> parentAndStart(std::string_view stat) {
    const std::size_t close = stat.rfind(')');
    if (close == std::string_view::npos) return std::nullopt;
    std::string_view rest = stat.substr(close + 1);
    std::vector<std::string_view> fields;
    for (std::string_view field : split(rest, ' '))
        if (!field.empty()) fields.push_back(field);
    if (fields.size() < 20) return std::nullopt;
    const auto parent = parseWhole<pid_t>(fields[1]);
    auto startField = fields[19];
    while (!startField.empty() && startField.back() == '\n')
        startField.remove_suffix(1);
    const auto start = parseWhole<std::uint64_t>(startField);
    if (!parent || !start) return std::nullopt;
    return std::pair{*parent, *start};
}

std::optional<std::string> readLink(const fs::path& link) {
    std::array<char, 4096> buffer;
    const ssize_t n = ::readlink(link.c_str(), buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return std::nullopt;
    std::string target(buffer.data(), static_cast<std::size_t>(n));
    // The kernel marks a program replaced or removed while running; the folder still tells the app.
    constexpr std::string_view kDeleted = " (deleted)";
    if (std::string_view(target).ends_with(kDeleted)) target.resize(target.size() - kDeleted.size());
    return target;
}

std::vector<pid_t> listPids(const fs::path& procRoot) {
    std::vector<pid_t> pids;
    DIR* dir = ::opendir(procRoot.c_str());
    if (dir == nullptr) return pids;
    while (const dirent* entry = ::readdir(dir)) {
        if (const auto pid = parseWhole<pid_t>(entry->d_name); pid && *pid > 0) pids.push_back(*pid);
    }
    ::closedir(dir);
    return pids;
}

// Every process that can still be read. One that exits between listing and reading is simply
// left out; it will not be there on the next pass either.
std::vector<ProcessFacts> readProcesses(const fs::path& procRoot, bool withUnits) {
    std::vector<ProcessFacts> processes;
    const Descriptor proc(::open(procRoot.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!proc) return processes;
    std::array<char, 4096> buffer;
    std::string overflow;
    for (const pid_t pid : listPids(procRoot)) {
        const std::string folder = std::to_string(pid);
        const auto stat = ProcFiles::readAt(proc.get(), (folder + "/stat").c_str(), buffer, overflow);
        if (!stat) continue;
        const auto facts = parentAndStart(*stat);
        if (!facts) continue;
        ProcessFacts process{pid, facts->first, facts->second, {}};
        if (withUnits) {
            const auto cgroup = ProcFiles::readAt(proc.get(), (folder + "/cgroup").c_str(), buffer, overflow);
            if (!cgroup) continue;
            if (const auto path = systemdCgroupPath(*cgroup)) process.unit = readAppUnit(*path);
        }
        processes.push_back(std::move(process));
    }
    return processes;
}

// The [Application] name of a Flatpak sandbox's /.flatpak-info.
std::optional<std::string> flatpakAppId(const fs::path& procRoot, pid_t pid) {
    const auto info = readSmallFile(procRoot / std::to_string(pid) / "root/.flatpak-info", kMaxProcFileSize);
    if (!info) return std::nullopt;
    bool inGroup = false;
    for (std::string_view line : split(*info, '\n')) {
        line = trimmedLine(line);
        if (line.starts_with('[')) {
            inGroup = line == "[Application]";
            continue;
        }
        if (!inGroup || !line.starts_with("name")) continue;
        const std::string_view rest = trimmedLine(line.substr(4));
        if (rest.starts_with('=')) {
            const std::string_view id = trimmedLine(rest.substr(1));
            if (!id.empty()) return std::string(id);
        }
    }
    return std::nullopt;
}

// Desktop entries looked up by id once per scan.
class EntryCache {
public:
    explicit EntryCache(const Locations& locations) : m_locations(locations) {}

    // The shown application entry with this id.
    const DesktopEntry* shown(const std::string& id) {
        auto it = m_byId.find(id);
        if (it == m_byId.end()) {
            auto entry = findDesktopEntry(id, m_locations);
            if (entry && !entry->isShownApplication()) entry.reset();
            it = m_byId.emplace(id, std::move(entry)).first;
        }
        return it->second ? &*it->second : nullptr;
    }

    // Every shown application entry, for matching windows that belong to no unit. Read only when
    // such a window exists.
    const std::vector<DesktopEntry>& all() {
        if (m_all) return *m_all;
        m_all.emplace();
        std::set<std::string> seen;
        for (const fs::path& folder : applicationFolders(m_locations)) {
            std::error_code ec;
            std::vector<fs::path> files;
            for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
                if (it->path().extension() == ".desktop") files.push_back(it->path());
            std::sort(files.begin(), files.end());
            for (const fs::path& file : files) {
                std::string id = file.stem().native();
                // A file higher up decides for its id, even when it hides the app.
                if (!seen.insert(id).second) continue;
                if (const DesktopEntry* entry = shown(id)) m_all->push_back(*entry);
            }
        }
        return *m_all;
    }

private:
    const Locations& m_locations;
    std::unordered_map<std::string, std::optional<DesktopEntry>> m_byId;
    std::optional<std::vector<DesktopEntry>> m_all;
};

bool execMatches(const DesktopEntry& entry, const std::optional<std::string>& executable) {
    if (!executable) return false;
    const auto exec = entry.value("Exec");
    if (!exec) return false;
    const auto arguments = execArguments(*exec);
    if (!arguments) return false;
    const fs::path program = execProgram(*arguments);
    if (program.empty()) return false;
    const fs::path running(*executable);
    // A bare name is found through PATH, so only the name can be compared; a full path must be
    // the very program (or a link to it, as with /usr/bin/app → /opt/app/app).
    if (program.is_relative()) return program.filename() == running.filename();
    if (program == running) return true;
    std::error_code ec;
    const fs::path resolved = fs::canonical(program, ec);
    return !ec && resolved == running;
}

const DesktopEntry* entryForWindow(EntryCache& entries, const WindowInfo& window,
                                   const std::optional<std::string>& executable) {
    const std::string instance = lowercase(window.wmInstance);
    const std::string klass = lowercase(window.wmClass);
    for (const DesktopEntry& entry : entries.all()) {
        const auto wmClass = entry.value("StartupWMClass");
        if (!wmClass || wmClass->empty()) continue;
        const std::string wanted = lowercase(*wmClass);
        if (wanted == klass || wanted == instance) return &entry;
    }
    for (const DesktopEntry& entry : entries.all())
        if (execMatches(entry, executable)) return &entry;
    return nullptr;
}

struct Group {
    const DesktopEntry* entry = nullptr;
    std::vector<pid_t> pids;
};

} // namespace

std::string unescapeUnitName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x') {
            const int high = hexDigit(name[i + 2]);
            const int low = hexDigit(name[i + 3]);
            // A NUL byte would cut the name short wherever it is used as a C string.
            if (high >= 0 && low >= 0 && (high | low) != 0) {
                out += static_cast<char>(high * 16 + low);
                i += 3;
                continue;
            }
        }
        out += name[i];
    }
    return out;
}

std::optional<std::string> systemdCgroupPath(std::string_view cgroupFile) {
    std::optional<std::string> unified;
    std::optional<std::string> named;
    for (std::string_view line : split(cgroupFile, '\n')) {
        const std::size_t first = line.find(':');
        if (first == std::string_view::npos) continue;
        const std::size_t second = line.find(':', first + 1);
        if (second == std::string_view::npos) continue;
        const std::string_view hierarchy = line.substr(0, first);
        const std::string_view controllers = line.substr(first + 1, second - first - 1);
        // The path may itself hold colons (D-Bus names such as ":1.2").
        const std::string_view path = line.substr(second + 1);
        if (hierarchy == "0" && controllers.empty())
            unified = std::string(path);
        else if (controllers == "name=systemd")
            named = std::string(path);
    }
    if (unified && *unified != "/" && !unified->empty()) return unified;
    if (named) return named;
    return unified;
}

UnitReading readAppUnit(std::string_view cgroupPath) {
    UnitReading reading;
    std::vector<std::string_view> components;
    for (std::string_view c : split(cgroupPath, '/'))
        if (!c.empty()) components.push_back(c);
    for (std::string_view c : components) {
        if (c == "session.slice" || c == "background.slice") {
            reading.kind = UnitReading::Kind::excluded;
            reading.unit = std::string(components.back());
            return reading;
        }
    }
    // The innermost app unit decides: a D-Bus activated app runs in a "dbus-…" service below an
    // "app-dbus…" slice, a launched one in an "app-…" scope that may itself sit in an app slice.
    for (auto it = components.rbegin(); it != components.rend(); ++it) {
        std::string_view body = *it;
        if (!body.starts_with("app-")) continue;
        body.remove_prefix(4);
        bool scope = false;
        if (body.ends_with(".scope")) {
            body.remove_suffix(6);
            scope = true;
        } else if (body.ends_with(".service")) {
            body.remove_suffix(8);
        } else if (body.ends_with(".slice")) {
            body.remove_suffix(6);
        } else {
            continue;
        }
        reading.unit = std::string(*it);
        if (const std::size_t at = body.find('@'); at != std::string_view::npos) {
            if (body.substr(at + 1) == "autostart") {
                reading.kind = UnitReading::Kind::excluded;
                return reading;
            }
            body = body.substr(0, at);
        }
        // A scope ends in a random token after the last unescaped dash; a dash inside the app id
        // itself is escaped as \x2d by launchers that follow the naming rules.
        if (scope) {
            if (const std::size_t dash = body.rfind('-'); dash != std::string_view::npos)
                body = body.substr(0, dash);
        }
        const std::string unescaped = unescapeUnitName(body);
        std::set<std::string, std::less<>> seen;
        for (std::size_t start = 0; start < unescaped.size();) {
            std::string candidate = unescaped.substr(start);
            if (seen.insert(candidate).second) reading.candidateIds.push_back(std::move(candidate));
            const std::size_t dash = unescaped.find('-', start);
            if (dash == std::string::npos) break;
            start = dash + 1;
        }
        reading.kind = reading.candidateIds.empty() ? UnitReading::Kind::none : UnitReading::Kind::app;
        return reading;
    }
    return reading;
}

namespace {

// A multiarch library folder name, CPU-linux-ABI: "x86_64-linux-gnu", "arm-linux-gnueabihf".
bool isMultiarchTriplet(std::string_view name) {
    const std::size_t at = name.find("-linux-");
    return at != std::string_view::npos && at > 0 && at + 7 < name.size();
}

// Folders that unrelated programs are installed into side by side.
bool isSharedProgramFolder(const fs::path& folder, const fs::path& home) {
    // /app/bin is every Flatpak's own bin folder: the same path inside each sandbox.
    static const std::array<fs::path, 4> kFolders{"/", "/opt", "/snap/bin", "/app/bin"};
    if (std::find(kFolders.begin(), kFolders.end(), folder) != kFolders.end()) return true;
    if (!home.empty() && folder == (home / ".local/bin").lexically_normal()) return true;
    static const std::array<std::string_view, 5> kNames{"bin", "sbin", "libexec", "lib", "lib64"};
    static const std::array<fs::path, 3> kPrefixes{"/", "/usr", "/usr/local"};
    const fs::path parent = folder.parent_path();
    const std::string name = folder.filename().native();
    for (const fs::path& prefix : kPrefixes) {
        if (parent == prefix && std::find(kNames.begin(), kNames.end(), name) != kNames.end()) return true;
        if (parent == prefix / "lib" && isMultiarchTriplet(name)) return true;
    }
    return false;
}

} // namespace

std::optional<fs::path> bundleFolder(const fs::path& executable, const fs::path& home) {
    if (executable.empty() || !executable.is_absolute()) return std::nullopt;
    const fs::path folder = executable.lexically_normal().parent_path();
    if (isSharedProgramFolder(folder, home)) return std::nullopt;
    return folder;
}

std::optional<std::string> localizedValue(const DesktopEntry& entry, std::string_view key,
                                          std::string_view locale) {
    std::string_view lang = locale;
    std::string_view modifier;
    if (const std::size_t at = lang.find('@'); at != std::string_view::npos) {
        modifier = lang.substr(at + 1);
        lang = lang.substr(0, at);
    }
    if (const std::size_t dot = lang.find('.'); dot != std::string_view::npos) lang = lang.substr(0, dot);
    std::string_view country;
    if (const std::size_t underscore = lang.find('_'); underscore != std::string_view::npos) {
        country = lang.substr(underscore + 1);
        lang = lang.substr(0, underscore);
    }
    std::vector<std::string> tries;
    if (!lang.empty() && lang != "C" && lang != "POSIX") {
        const std::string base(lang);
        if (!country.empty() && !modifier.empty())
            tries.push_back(base + "_" + std::string(country) + "@" + std::string(modifier));
        if (!country.empty()) tries.push_back(base + "_" + std::string(country));
        if (!modifier.empty()) tries.push_back(base + "@" + std::string(modifier));
        tries.push_back(base);
    }
    for (const std::string& suffix : tries) {
        auto value = entry.value(std::string(key) + "[" + suffix + "]");
        if (value && !value->empty()) return value;
    }
    return entry.value(key);
}

std::vector<RunningApp> runningApps(const Input& input) {
    const std::vector<ProcessFacts> processes = readProcesses(input.procRoot, true);
    std::unordered_map<pid_t, const ProcessFacts*> byPid;
    for (const ProcessFacts& p : processes)
        byPid.emplace(p.pid, &p);

    EntryCache entries(input.locations);
    std::map<std::string, Group> groups; // by desktop id
    std::unordered_set<pid_t> claimed;
    std::unordered_set<pid_t> passedOver; // session and background services: never an app

    // Our own process is never part of an app. The app it belongs to is left out only when we are
    // its main process (we were launched as that app); an app we merely run inside (a terminal that
    // keeps its shells in its own scope) is still listed, without us.
    std::optional<std::string> ownAppId;
    const auto claim = [&](const DesktopEntry* entry, pid_t pid) {
        if (pid == input.ownPid) {
            ownAppId = entry->id;
            claimed.insert(pid);
            return;
        }
        Group& group = groups[entry->id];
        group.entry = entry;
        group.pids.push_back(pid);
        claimed.insert(pid);
    };

    for (const ProcessFacts& p : processes) {
        if (p.unit.kind == UnitReading::Kind::excluded) {
            passedOver.insert(p.pid);
        } else if (p.unit.kind == UnitReading::Kind::app) {
            for (const std::string& id : p.unit.candidateIds) {
                if (const DesktopEntry* entry = entries.shown(id)) {
                    claim(entry, p.pid);
                    break;
                }
            }
        }
    }
    for (const ProcessFacts& p : processes) {
        if (claimed.contains(p.pid) || passedOver.contains(p.pid)) continue;
        if (const auto id = flatpakAppId(input.procRoot, p.pid))
            if (const DesktopEntry* entry = entries.shown(*id)) claim(entry, p.pid);
    }
    if (input.windows) {
        std::unordered_map<pid_t, std::vector<pid_t>> children;
        for (const ProcessFacts& p : processes)
            children[p.parent].push_back(p.pid);
        for (const WindowInfo& window : *input.windows) {
            const pid_t owner = window.pid;
            if (owner <= 0 || !byPid.contains(owner) || claimed.contains(owner) || passedOver.contains(owner))
                continue;
            const auto executable = readLink(input.procRoot / std::to_string(owner) / "exe");
            const DesktopEntry* entry = entryForWindow(entries, window, executable);
            if (!entry) continue;
            // Without a unit the process tree is all that ties helpers to the app.
            std::vector<pid_t> stack{owner};
            while (!stack.empty()) {
                const pid_t pid = stack.back();
                stack.pop_back();
                if (claimed.contains(pid) || passedOver.contains(pid) || pid == input.ownPid) continue;
                claim(entry, pid);
                if (const auto it = children.find(pid); it != children.end())
                    stack.insert(stack.end(), it->second.begin(), it->second.end());
            }
        }
    }

    std::vector<std::pair<std::uint64_t, RunningApp>> apps;
    const fs::path home = input.locations.home;
    for (auto& [id, group] : groups) {
        std::vector<pid_t>& pids = group.pids;
        std::sort(pids.begin(), pids.end());
        pids.erase(std::unique(pids.begin(), pids.end()), pids.end());
        const ProcessFacts* oldest = nullptr;
        for (const pid_t pid : pids) {
            const ProcessFacts* p = byPid.at(pid);
            if (!oldest || p->startTime < oldest->startTime) oldest = p;
        }
        if (id == ownAppId) {
            // Ties go to the lower pid, as among the app's other processes.
            const ProcessFacts* own = byPid.at(input.ownPid);
            if (own->startTime < oldest->startTime ||
                (own->startTime == oldest->startTime && own->pid < oldest->pid))
                continue;
        }
        RunningApp app;
        app.pid = oldest->pid;
        app.pids = pids;
        app.desktopId = id;
        app.name = validUtf8(localizedValue(*group.entry, "Name", input.locale).value_or(""));
        app.iconName = validUtf8(localizedValue(*group.entry, "Icon", input.locale).value_or(""));
        if (const auto exe = readLink(input.procRoot / std::to_string(app.pid) / "exe")) {
            app.executable = fs::path(*exe);
            app.bundle = bundleFolder(*app.executable, home);
        }
        if (!input.windows) {
            // Unknown is not "no windows": a Wayland session simply does not tell.
            app.hasWindows = true;
        } else {
            bool allHidden = true;
            for (const WindowInfo& window : *input.windows) {
                if (!countsAsOpenWindow(window) || !std::binary_search(pids.begin(), pids.end(), window.pid))
                    continue;
                app.hasWindows = true;
                allHidden = allHidden && window.isHidden;
            }
            app.isHidden = app.hasWindows && allHidden;
        }
        apps.emplace_back(oldest->startTime, std::move(app));
    }
    std::sort(apps.begin(), apps.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second.pid < b.second.pid;
    });
    std::vector<RunningApp> result;
    result.reserve(apps.size());
    for (auto& [start, app] : apps)
        result.push_back(std::move(app));
    return result;
}

std::vector<pid_t> withDescendants(const std::vector<pid_t>& pids, const fs::path& procRoot) {
    const std::vector<ProcessFacts> processes = readProcesses(procRoot, false);
    std::unordered_map<pid_t, std::vector<pid_t>> children;
    std::unordered_set<pid_t> alive;
    for (const ProcessFacts& p : processes) {
        children[p.parent].push_back(p.pid);
        alive.insert(p.pid);
    }
    std::vector<pid_t> result;
    std::unordered_set<pid_t> seen;
    std::vector<pid_t> stack;
    for (const pid_t pid : pids)
        if (alive.contains(pid)) stack.push_back(pid);
    while (!stack.empty()) {
        const pid_t pid = stack.back();
        stack.pop_back();
        if (!seen.insert(pid).second) continue;
        result.push_back(pid);
        if (const auto it = children.find(pid); it != children.end())
            stack.insert(stack.end(), it->second.begin(), it->second.end());
    }
    std::sort(result.begin(), result.end());
    return result;
}

} // namespace brisklet::AppScan
