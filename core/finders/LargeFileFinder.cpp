#include "core/finders/LargeFileFinder.h"

#include "core/fs/FileSize.h"
#include "core/junk/ParallelMeasure.h"

#include <QThreadPool>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <deque>
#include <string_view>

namespace brisklet::LargeFileFinder {

namespace {

using std::filesystem::path;

// What follows the last dot of a name, as a folder's extension; empty when there is none.
std::string_view extensionOf(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    return name.substr(dot + 1);
}

// The decision for one entry, shared by every part of a parallel walk (it holds nothing that
// changes while walking).
class Rules {
public:
    Rules(std::int64_t minSize, const path& home, const PackageTest& isPackage)
        : m_minSize(minSize), m_library(home / "Library"), m_isPackage(isPackage) {}

    WalkStep visit(const WalkEntry& entry, std::vector<LargeFile>& found) const {
        const std::string_view name = entry.name();
        if (name.starts_with('.')) return WalkStep::pass;
        struct stat st {};
        if (entry.type() == DT_REG) {
            // The one status call a file costs: it gives both the allocated size and the date.
            if (!entry.status(st) || !S_ISREG(st.st_mode)) return WalkStep::pass;
            const std::int64_t size = static_cast<std::int64_t>(st.st_blocks) * 512;
            if (size >= m_minSize) found.push_back(LargeFile{entry.path(), size, modifiedAt(st)});
            return WalkStep::pass;
        }
        if (entry.type() != DT_DIR || name == "node_modules") return WalkStep::pass;
        if (name == "Library" && m_library.is(entry)) return WalkStep::pass;
        if (skippedPackages().contains(extensionOf(name))) return WalkStep::pass;
        if (m_isPackage) {
            path package = entry.path();
            if (m_isPackage(package)) {
                const std::int64_t size = FileSize::onDisk(package);
                if (size >= m_minSize) {
                    std::optional<std::chrono::system_clock::time_point> modified;
                    if (entry.status(st)) modified = modifiedAt(st);
                    found.push_back(LargeFile{std::move(package), size, modified});
                }
                return WalkStep::pass;
            }
        }
        return WalkStep::descend;
    }

private:
    std::int64_t m_minSize;
    // The user's Library is known by identity, not spelling: a root given through a link to the
    // home must not lead into it either. Only an entry with its name can be it, so others cost
    // nothing.
    FolderIdentity m_library;
    const PackageTest& m_isPackage;
};

struct Found {
    LargeFile file;
    std::size_t order; // position in the walk, to keep ties as they were met
};

} // namespace

const std::set<std::string, std::less<>>& skippedPackages() {
    static const std::set<std::string, std::less<>> extensions{"photoslibrary", "musiclibrary", "tvlibrary"};
    return extensions;
}

std::vector<LargeFile> find(const path& root, std::int64_t minSize, int limit, const path& home,
                            const PackageTest& isPackage) {
    return find(root, minSize, limit, home, measuringPool(), isPackage);
}

std::vector<LargeFile> find(const path& root, std::int64_t minSize, int limit, const path& home,
                            QThreadPool& pool, const PackageTest& isPackage) {
    std::vector<LargeFile> result;
    // Nothing would survive the cut, so the walk would be wasted.
    if (limit <= 0) return result;
    try {
        const Rules rules(minSize, home, isPackage);
        // The root's own files, each with the number of subfolders met before it, and what each
        // subfolder's task found: joined in that order, they are in the order of a single walk.
        std::vector<std::pair<std::size_t, LargeFile>> atRoot;
        std::deque<std::vector<LargeFile>> below;
        std::size_t subfolders = 0;
        std::vector<LargeFile> one;
        walkDirectoryInParallel(
            root,
            [&](const WalkEntry& entry) {
                one.clear();
                const WalkStep step = rules.visit(entry, one);
                for (LargeFile& file : one)
                    atRoot.emplace_back(subfolders, std::move(file));
                if (step == WalkStep::descend) ++subfolders;
                return step;
            },
            [&](std::size_t) -> WalkVisitor {
                std::vector<LargeFile>& found = below.emplace_back();
                return [&rules, &found](const WalkEntry& entry) { return rules.visit(entry, found); };
            },
            pool);

        std::vector<Found> found;
        auto next = atRoot.begin();
        for (std::size_t i = 0; i <= below.size(); ++i) {
            for (; next != atRoot.end() && next->first == i; ++next)
                found.push_back(Found{std::move(next->second), found.size()});
            if (i == below.size()) break;
            for (LargeFile& file : below[i])
                found.push_back(Found{std::move(file), found.size()});
        }

        // Largest first, then in walk order: a stable sort's result, found without sorting what
        // the cut drops.
        const auto before = [](const Found& a, const Found& b) {
            return a.file.size != b.file.size ? a.file.size > b.file.size : a.order < b.order;
        };
        const std::size_t kept = std::min(found.size(), static_cast<std::size_t>(limit));
        std::partial_sort(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(kept), found.end(),
                          before);
        result.reserve(kept);
        for (std::size_t i = 0; i < kept; ++i)
            result.push_back(std::move(found[i].file));
    } catch (...) {
        // Only allocation can fail; an empty list is the quiet answer.
        result.clear();
    }
    return result;
}

} // namespace brisklet::LargeFileFinder
