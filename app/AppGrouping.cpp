#include "app/AppGrouping.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <unordered_map>

namespace brisklet::AppGrouping {

namespace {

constexpr std::array<std::string_view, 12> kRuntimeNames{"node",    "bun",      "deno",         "java",
                                                         "ruby",    "php",      "watchman",     "workerd",
                                                         "esbuild", "postgres", "redis-server", "mongod"};

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return b > std::numeric_limits<std::uint64_t>::max() - a ? std::numeric_limits<std::uint64_t>::max()
                                                             : a + b;
}

// The samples indexed once per pass: who started whom, and how much each holds.
struct ProcessIndex {
    explicit ProcessIndex(const std::vector<ProcessSample>& samples) {
        children.reserve(samples.size());
        footprints.reserve(samples.size());
        for (const ProcessSample& s : samples) {
            children[s.parent].push_back(s.pid);
            // The table is read while it changes; should a pid show up twice, the later reading is the newer.
            footprints[s.pid] = s.footprint;
        }
    }

    std::uint64_t footprint(pid_t pid) const {
        const auto it = footprints.find(pid);
        return it == footprints.end() ? 0 : it->second;
    }

    std::unordered_map<pid_t, std::vector<pid_t>> children;
    std::unordered_map<pid_t, std::uint64_t> footprints;
};

// The bundle folder without trailing slashes; empty when there is none. The root is no bundle: as a
// prefix it would make every process a helper of the app.
std::string bundleFolder(const RunningApp& app) {
    if (!app.bundle) return {};
    std::string folder = app.bundle->native();
    while (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// The app's own processes, everything they started, and whatever the system started from inside its
// bundle. Processes found through the bundle are not walked further: what they start is attributed
// by the process tree alone, like everything else.
std::unordered_set<pid_t> processesOf(const RunningApp& app, const ProcessIndex& index,
                                      const std::vector<ProcessSample>& samples, pid_t ownPid) {
    std::unordered_set<pid_t> set{app.pid};
    set.insert(app.pids.begin(), app.pids.end());
    std::vector<pid_t> stack(set.begin(), set.end());
    while (!stack.empty()) {
        const pid_t pid = stack.back();
        stack.pop_back();
        const auto it = index.children.find(pid);
        if (it == index.children.end()) continue;
        for (const pid_t child : it->second)
            if (set.insert(child).second) stack.push_back(child);
    }
    if (const std::string folder = bundleFolder(app); !folder.empty()) {
        const std::string prefix = folder + '/';
        for (const ProcessSample& s : samples)
            if (s.path.starts_with(prefix)) set.insert(s.pid);
    }
    // We may run inside the app (started from its terminal); our own memory is not the app's.
    set.erase(ownPid);
    return set;
}

QString displayName(const RunningApp& app) {
    if (!app.name.empty()) return QString::fromStdString(app.name);
    if (const std::string folder = bundleFolder(app); !folder.empty()) {
        const std::string stem = std::filesystem::path(folder).stem().native();
        if (!stem.empty()) return QString::fromStdString(stem);
    }
    return QStringLiteral("App");
}

// Our own process stands in for the program the platform never lists (its file manager), so the
// app we were launched as is left out. An app we merely run inside is not ours: hiding it would
// hide the terminal we were started from.
bool isOurs(const RunningApp& app, pid_t ownPid) {
    return app.pid == ownPid;
}

} // namespace

bool isDeveloperRuntime(std::string_view name) {
    if (name.starts_with("python") || name.starts_with("node")) return true;
    return std::find(kRuntimeNames.begin(), kRuntimeNames.end(), name) != kRuntimeNames.end();
}

Grouping group(const std::vector<RunningApp>& apps, const std::vector<ProcessSample>& samples, pid_t ownPid) {
    const ProcessIndex index(samples);
    Grouping result;
    result.claimed.insert(ownPid);
    for (const RunningApp& app : apps) {
        if (isOurs(app, ownPid)) continue;
        const std::unordered_set<pid_t> set = processesOf(app, index, samples, ownPid);
        std::uint64_t memory = 0;
        for (const pid_t pid : set)
            memory = saturatingAdd(memory, index.footprint(pid));
        result.claimed.insert(set.begin(), set.end());
        result.apps.push_back(AppUsage{app.pid, app, displayName(app), QString::fromStdString(app.iconName),
                                       memory, static_cast<int>(set.size()), app.isHidden, app.hasWindows});
    }
    std::stable_sort(result.apps.begin(), result.apps.end(),
                     [](const AppUsage& a, const AppUsage& b) { return a.memory > b.memory; });

    // An editor's language server counts in the editor's total and is listed as a runtime as well.
    std::unordered_set<pid_t> candidatePids;
    for (const ProcessSample& s : samples) {
        if (s.pid == ownPid || s.footprint <= kDeveloperMinimum || !isDeveloperRuntime(s.name)) continue;
        result.candidates.push_back(s);
        candidatePids.insert(s.pid);
    }

    std::vector<const ProcessSample*> rest;
    for (const ProcessSample& s : samples)
        if (!result.claimed.contains(s.pid) && !candidatePids.contains(s.pid)) rest.push_back(&s);
    std::stable_sort(rest.begin(), rest.end(), [](const ProcessSample* a, const ProcessSample* b) {
        return a->footprint > b->footprint;
    });
    rest.resize(std::min(rest.size(), kBackgroundLimit));
    result.background.reserve(rest.size());
    for (const ProcessSample* s : rest)
        result.background.push_back(*s);
    return result;
}

} // namespace brisklet::AppGrouping
