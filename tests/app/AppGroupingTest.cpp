#include "app/AppGrouping.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace brisklet {
namespace {

constexpr pid_t kOwn = 4242;

ProcessSample sample(pid_t pid, pid_t parent, std::string name, std::uint64_t footprint,
                     std::string path = {}) {
    return ProcessSample{pid, parent, std::move(name), std::move(path), footprint};
}

std::vector<pid_t> pids(const std::vector<ProcessSample>& samples) {
    std::vector<pid_t> out;
    for (const ProcessSample& s : samples)
        out.push_back(s.pid);
    return out;
}

TEST(AppGrouping, CandidatesByExactNameOrPrefixAboveTwentyMillionBytesAndTheTenLargestBackground) {
    // Which names are runtimes is the list's business; here the boundary, prefixes and exact names.
    const std::tuple<std::string, std::uint64_t, bool> rows[] = {
        {"node", 20'000'000, false},    {"node", 20'000'001, true},    {"python3.12", 30'000'000, true},
        {"Node", 30'000'000, false},    {"nodemon", 30'000'000, true}, {"javac", 30'000'000, false},
        {"xpython", 30'000'000, false},
    };
    std::vector<ProcessSample> samples;
    std::vector<pid_t> expected;
    for (const auto& [name, footprint, candidate] : rows) {
        samples.push_back(sample(static_cast<pid_t>(samples.size() + 1), 1, name, footprint));
        if (candidate) expected.push_back(samples.back().pid);
    }
    samples.push_back(sample(kOwn, 1, "node", 90'000'000)); // we are never our own candidate
    for (pid_t pid = 100; pid < 108; ++pid)
        samples.push_back(sample(pid, 1, "daemon", 1000 + pid % 2));
    const AppGrouping::Grouping g = AppGrouping::group({}, samples, kOwn);
    EXPECT_EQ(pids(g.candidates), expected);
    // A runtime is either a candidate or background, never both; we are neither. The background is
    // the ten largest, ties in sample order.
    EXPECT_EQ(pids(g.background), (std::vector<pid_t>{4, 6, 7, 1, 101, 103, 105, 107, 100, 102}));
}

// The editor's unit holds our own process too, as a terminal's does when we run inside it: only our
// process leaves its total.
TEST(AppGrouping, AppsCountTheirTreeAndBundleHelpersButOursIsNone) {
    RunningApp editor{
        10, {10, 11, kOwn}, "editor", "Editor", "editor-icon", "/opt/editor/editor", "/opt/editor/"};
    RunningApp viewer{30, {30}, "viewer", "", "", "/opt/Viewer.app/viewer", "/opt/Viewer.app"};
    RunningApp gone{60, {60}, "gone", "", "", std::nullopt, std::nullopt};
    RunningApp late{70, {70}, "late", "Late", "", std::nullopt, std::nullopt};
    RunningApp oursAsMain{kOwn, {kOwn}, "files", "Files", "", std::nullopt, std::nullopt};
    viewer.isHidden = true;
    editor.hasWindows = true;
    const std::vector<ProcessSample> samples = {
        sample(10, 1, "editor", 100, "/opt/editor/editor"),
        sample(11, 1, "editor", 20, "/opt/editor/editor"),
        sample(12, 11, "bash", 3, "/usr/bin/bash"),                // a descendant, two levels down
        sample(13, 12, "node", 7, "/usr/bin/node"),                // …and three
        sample(20, 1, "helper", 50, "/opt/editor/libexec/helper"), // started by the system
        sample(21, 20, "child", 2, "/usr/bin/child"),              // the helper's own children are not walked
        sample(30, 1, "viewer", 40, "/opt/Viewer.app/viewer"),
        sample(31, 30, "tool", 9, "/opt/editor/tool"), // the viewer's child, in the editor's folder
        sample(32, 1, "other", 1, "/opt/editorial/x"), // a neighbour folder is no helper
        sample(50, 1, "brisklet-helper", 5, "/usr/bin/x"),
        sample(kOwn, 50, "brisklet", 80, "/usr/bin/brisklet"),
    };
    const AppGrouping::Grouping g =
        AppGrouping::group({viewer, gone, editor, late, oursAsMain}, samples, kOwn);

    // Listed even without a sample of its own: nothing to add up but itself. Equal totals keep
    // launch order.
    EXPECT_EQ(g.apps, (std::vector<AppUsage>{
                          {10, editor, "Editor", "editor-icon", 100 + 20 + 3 + 7 + 50 + 9, 6, false, true},
                          {30, viewer, "Viewer", "", 40 + 9, 2, true, false},
                          {60, gone, "App", "", 0, 1, false, false},
                          {70, late, "Late", "", 0, 1, false, false}}));
    EXPECT_EQ(g.claimed, (std::unordered_set<pid_t>{kOwn, 10, 11, 12, 13, 20, 30, 31, 60, 70}));
    // Our app's other processes are not ours: they show like any unclaimed process.
    EXPECT_EQ(pids(g.background), (std::vector<pid_t>{50, 21, 32}));
}

TEST(DevProcess, ShortCommand) {
    const std::string seventy(70, 'a');
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"/usr/local/bin/node"}, "/usr/local/bin/node"},
        {{"node", "a", "/b/c", "d", "e"}, "a c d"},
        {{"x", "/opt/site/", "/"}, "site /"},
        {{"x", "src/main.py"}, "src/main.py"},
        {{"python3", "-c", "x = 1\nimport time;\ttime.sleep(9)\r\n"}, "-c x = 1 import time; time.sleep(9)"},
        {{"x", seventy}, seventy},
        {{"x", seventy + "b"}, seventy + "…"},
        {{"x", seventy.substr(0, 34), seventy.substr(0, 35)},
         seventy.substr(0, 34) + " " + seventy.substr(0, 35)},
        {{"x", seventy.substr(0, 35), seventy.substr(0, 35)},
         seventy.substr(0, 35) + " " + seventy.substr(0, 34) + "…"},
    };
    for (const auto& [arguments, expected] : rows)
        EXPECT_EQ(DevProcess::commandFrom(arguments).toStdString(), expected);
}

} // namespace
} // namespace brisklet
