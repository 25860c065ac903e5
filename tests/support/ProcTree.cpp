#include "support/ProcTree.h"

namespace brisklet::test {

namespace fs = std::filesystem;

ProcTree::ProcTree(TempTree& tree, std::string_view folder) : m_tree(tree), m_folder(folder) {
    m_tree.dir(m_folder);
}

fs::path ProcTree::root() const {
    return m_tree.path(m_folder);
}

void ProcTree::add(const FixtureProcess& p) {
    const std::string dir = m_folder + "/" + std::to_string(p.pid) + "/";
    m_tree.text(dir + "stat", std::to_string(p.pid) + " (" + p.name + ") S " + std::to_string(p.parent) +
                                  " 1 1 0 -1 4194304 100 0 0 0 5 3 0 0 20 0 1 0 " + std::to_string(p.start) +
                                  " 9351168 896\n");
    m_tree.text(dir + "status", "Name:\t" + p.name + "\nState:\tS (sleeping)\nPid:\t" +
                                    std::to_string(p.pid) + "\nRssAnon:\t" + std::to_string(p.footprintKiB) +
                                    " kB\nRssFile:\t 1024 kB\nVmSwap:\t0 kB\nThreads:\t1\n");
    std::string cmdline;
    for (const std::string& argument : p.arguments)
        cmdline += argument + '\0';
    m_tree.text(dir + "cmdline", cmdline);
    if (!p.exe.empty()) m_tree.symlink(dir + "exe", p.exe);
    if (!p.cwd.empty()) m_tree.symlink(dir + "cwd", p.cwd);
    if (!p.cgroup.empty()) m_tree.text(dir + "cgroup", p.cgroup);
}

std::string ProcTree::memInfoText(std::uint64_t totalKiB, std::uint64_t appKiB, std::uint64_t cachedKiB) {
    const auto line = [](std::string_view key, std::uint64_t kib) {
        return std::string(key) + ":" + std::string(16 - key.size(), ' ') + std::to_string(kib) + " kB\n";
    };
    const std::uint64_t freeKiB = totalKiB - appKiB - cachedKiB;
    return line("MemTotal", totalKiB) + line("MemFree", freeKiB) + line("MemAvailable", freeKiB + cachedKiB) +
           line("Active(anon)", appKiB) + line("Inactive(anon)", 0) + line("Active(file)", cachedKiB) +
           line("Inactive(file)", 0) + line("KReclaimable", 0) + line("SwapTotal", 0) + line("SwapFree", 0);
}

void ProcTree::memInfo(std::uint64_t totalKiB, std::uint64_t appKiB, std::uint64_t cachedKiB) {
    m_tree.text(m_folder + "/meminfo", memInfoText(totalKiB, appKiB, cachedKiB));
}

} // namespace brisklet::test
