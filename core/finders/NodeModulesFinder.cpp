#include "core/finders/NodeModulesFinder.h"

#include "core/junk/ParallelMeasure.h"

#include <QThreadPool>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace brisklet::NodeModulesFinder {

namespace {

using std::filesystem::path;

// Only the project structure is walked: dependency folders are measured, never searched, and these
// hold build products or other ecosystems' dependencies, never a project of the user's own.
bool isWalledOff(std::string_view name) {
    return name == "Pods" || name == "DerivedData";
}

std::vector<path> findFolders(const path& root, const path& home, const PackageTest& isPackage) {
    // The user's Library is known by identity, not spelling: a root given through a link to the home
    // must not lead into it either. Only an entry with its name can be it, so others cost nothing.
    const FolderIdentity library(home / "Library");
    std::vector<path> found;
    walkDirectory(root, [&](const WalkEntry& entry) {
        const std::string_view name = entry.name();
        if (name.starts_with('.') || entry.type() != DT_DIR) return WalkStep::pass;
        if (name == "node_modules") {
            // The project's manifest may itself be a link (monorepo tools make them); like any
            // existence test, a link counts when it leads somewhere.
            struct stat manifest {};
            if (::fstatat(entry.folderFd(), "package.json", &manifest, 0) == 0) found.push_back(entry.path());
            return WalkStep::pass;
        }
        if (isWalledOff(name)) return WalkStep::pass;
        if (name == "Library" && library.is(entry)) return WalkStep::pass;
        if (isPackage && isPackage(entry.path())) return WalkStep::pass;
        return WalkStep::descend;
    });
    return found;
}

} // namespace

std::vector<NodeModulesFolder> find(const path& root, const path& home) {
    return find(root, home, measuringPool());
}

std::vector<NodeModulesFolder> find(const path& root, const path& home, QThreadPool& pool,
                                    const PackageTest& isPackage) {
    std::vector<NodeModulesFolder> result;
    try {
        const std::vector<path> found = findFolders(root, home, isPackage);
        const std::vector<std::int64_t> sizes = measureOnDisk(found, pool);
        result.reserve(found.size());
        for (std::size_t i = 0; i < found.size(); ++i) {
            // Dated only when kept: a folder that measures nothing is dropped anyway.
            if (sizes[i] > 0) result.push_back(NodeModulesFolder{found[i], sizes[i], {}});
        }
        for (NodeModulesFolder& folder : result)
            folder.lastTouched = lastTouched(folder.project());
        std::stable_sort(
            result.begin(), result.end(),
            [](const NodeModulesFolder& a, const NodeModulesFolder& b) { return a.size > b.size; });
    } catch (...) {
        // Only allocation can fail; an empty list is the quiet answer.
        result.clear();
    }
    return result;
}

std::optional<std::chrono::system_clock::time_point> lastTouched(const path& project) {
    std::optional<std::chrono::system_clock::time_point> latest;
    walkDirectory(project, [&](const WalkEntry& entry) {
        const std::string_view name = entry.name();
        if (name == "node_modules" || name == ".DS_Store") return WalkStep::pass;
        struct stat st {};
        if (entry.status(st)) {
            const auto date = modifiedAt(st);
            if (!latest || date > *latest) latest = date;
        }
        return WalkStep::pass;
    });
    return latest;
}

} // namespace brisklet::NodeModulesFinder
