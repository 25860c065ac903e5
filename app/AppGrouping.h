#pragma once

#include "app/AppUsage.h"
#include "core/proc/ProcessSample.h"
#include "host/RunningApps.h"

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_set>
#include <vector>

// How one picture of the process table is divided between the running apps, the developer runtimes
// and the rest. Pure: the samples and the app list are taken beforehand, so the grouping can be
// tested on plain values and costs no system call.
namespace brisklet::AppGrouping {

// Runtimes smaller than this are idle helpers rather than servers someone forgot.
inline constexpr std::uint64_t kDeveloperMinimum = 20'000'000;
inline constexpr std::size_t kBackgroundLimit = 10;

struct Grouping {
    std::vector<AppUsage> apps;            // largest memory first; ties keep launch order
    std::unordered_set<pid_t> claimed;     // our own process and every process counted in an app
    std::vector<ProcessSample> candidates; // developer runtimes, in sample order
    // The largest processes that are neither claimed nor candidates, at most kBackgroundLimit.
    std::vector<ProcessSample> background;
};

// The exact runtime names, or a name starting with "python" or "node"; case matters ("Node" is not).
bool isDeveloperRuntime(std::string_view name);

// `apps` in launch order, `samples` in the kernel's listing order, `ownPid` our own process. The app
// whose main process is ours is left out; ours counts in no app's total or process count.
Grouping group(const std::vector<RunningApp>& apps, const std::vector<ProcessSample>& samples, pid_t ownPid);

} // namespace brisklet::AppGrouping
