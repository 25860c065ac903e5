#pragma once

#include "support/TempTree.h"

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace brisklet::test {

// One process of a fixture proc tree, as the kernel would show it.
struct FixtureProcess {
    pid_t pid = 0;
    pid_t parent = 1;
    std::string name = {};                   // the kernel's short name; a set `exe` names the process instead
    std::uint64_t footprintKiB = 0;          // resident anonymous memory; nothing is swapped out
    std::string exe = {};                    // target of the executable link; no link when empty
    std::vector<std::string> arguments = {}; // the command line
    std::string cwd = {};                    // target of the working-directory link; no link when empty
    std::string cgroup = {};                 // the whole cgroup file; none when empty
    std::uint64_t start = 0;                 // start time, in clock ticks after boot
};

// A fixture /proc inside a temporary tree: process folders and the memory counters.
class ProcTree {
public:
    explicit ProcTree(TempTree& tree, std::string_view folder = "proc");

    std::filesystem::path root() const;
    void add(const FixtureProcess& process);

    // The memory counters of a machine with no swap, no compressed memory and no kernel memory, so
    // that what is not app memory or cache is free, and available memory is total minus app memory.
    static std::string memInfoText(std::uint64_t totalKiB, std::uint64_t appKiB, std::uint64_t cachedKiB);
    void memInfo(std::uint64_t totalKiB, std::uint64_t appKiB, std::uint64_t cachedKiB);

private:
    TempTree& m_tree;
    std::string m_folder;
};

} // namespace brisklet::test
