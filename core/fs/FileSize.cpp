#include "core/fs/FileSize.h"

#include "core/fs/FileSizeSplit.h"
#include "core/fs/FolderQueue.h"
#include "core/fs/LongPath.h"
#include "core/fs/SizeWalk.h"
#include "core/junk/ParallelMeasure.h"

#include <QThread>
#include <QThreadPool>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

namespace brisklet::FileSize {

namespace {

// What the threads sharing one measurement share. Each helper writes only its own slot of
// `results`, before it tells the queue it is done; the caller reads them after waiting for that.
struct Shared {
    struct Result {
        std::int64_t total = 0;
        LinkedBlocks linked;
        std::uint64_t handedOver = 0;
        std::uint64_t listsHandedOver = 0;
    };

    explicit Shared(int helpers) : results(static_cast<std::size_t>(helpers)) {}

    FolderQueue queue;
    std::vector<Result> results;
};

void help(Shared& shared, int slot, const MountRule& rule) {
    SizeWalk walk(rule);
    walk.shareWith(&shared.queue);
    while (const auto folder = shared.queue.take()) {
        try {
            walk.walk(folder->fd, folder->id, folder->names);
        } catch (...) {
            // Only allocation can fail here; what was counted before that still stands.
        }
    }
    shared.results[static_cast<std::size_t>(slot)] =
        Shared::Result{walk.total(), std::move(walk.linked()), walk.handedOver(), walk.listsHandedOver()};
    shared.queue.helperDone();
}

// Walks the open folder `fd` on this thread and, once it proves large, on every idle thread of
// `pool` that it can get, up to `split.helpers`. Idle threads are asked for with tryStart, which
// refuses rather than queues, so a helper that is counted on has a thread of its own: this thread
// never waits for one that might be waiting itself, whichever pool it runs on.
std::int64_t measureFolder(int fd, const FileId& id, const MountRule& rule, QThreadPool& pool,
                           const Split& split, SplitReport* report) {
    SizeWalk walk(rule);
    std::shared_ptr<Shared> shared;
    int started = 0;
    // A walk that cannot tell a bind mount of an ancestor from a plain folder must see all its
    // ancestors on its own stack to stop going round it, so only walks that know mounts split.
    if (rule.byMountId && split.helpers > 0) {
        walk.onCheckpoint(split.provenLarge, [&]() -> std::uint64_t {
            if (!shared) {
                shared = std::make_shared<Shared>(split.helpers);
                walk.shareWith(&shared->queue);
            }
            while (started < split.helpers) {
                shared->queue.joining();
                const int slot = started;
                bool running = false;
                try {
                    running = pool.tryStart([shared, slot, rule] { help(*shared, slot, rule); });
                } catch (...) {
                    // Allocation: the walk goes on with the helpers it has.
                }
                if (!running) {
                    shared->queue.notJoining();
                    break;
                }
                ++started;
            }
            return started < split.helpers ? split.askAgainEvery : 0;
        });
    }
    try {
        walk.walk(fd, id);
    } catch (...) {
        // Only allocation can fail here; what was counted before that still stands.
    }
    if (!shared) return walk.total();

    // Helpers may be waiting for work that only this thread could hand over, so it must keep
    // taking folders until the queue says nobody walks any more, whatever failed before.
    while (const auto folder = shared->queue.take()) {
        try {
            walk.walk(folder->fd, folder->id, folder->names);
        } catch (...) {
            // As above.
        }
    }
    shared->queue.waitForHelpers();

    std::int64_t total = walk.total();
    std::uint64_t handedOver = walk.handedOver();
    std::uint64_t listsHandedOver = walk.listsHandedOver();
    std::uint64_t linksMetTwice = 0;
    for (const Shared::Result& result : shared->results) {
        total += result.total;
        handedOver += result.handedOver;
        listsHandedOver += result.listsHandedOver;
    }
    // Each walk counted an entry with several links once; one that two walks both met is taken
    // back from the total once for each walk after the first.
    try {
        LinkedBlocks& linked = walk.linked();
        for (const Shared::Result& result : shared->results) {
            for (const auto& [entry, bytes] : result.linked) {
                if (linked.emplace(entry, bytes).second) continue;
                total -= bytes;
                ++linksMetTwice;
            }
        }
    } catch (...) {
        // Allocation: links not compared by then stay counted once for each walk that met them.
    }
    if (report != nullptr) *report = SplitReport{started, handedOver, listsHandedOver, linksMetTwice};
    return total;
}

// Measures the entry `name` of the folder `dirFd`. `tooLong` tells a path the kernel refused to
// resolve in one piece from one that measures 0.
std::int64_t measureAt(int dirFd, const char* name, QThreadPool& pool, const Split& split,
                       SplitReport* report, bool& tooLong) {
    const int fd = ::openat(dirFd, name, kOpenSizeWalkFolder);
    struct statx sx {};
    if (fd < 0) {
        tooLong = errno == ENAMETOOLONG;
        // ENOTDIR and ELOOP: a file, or a link (to a folder too), which is counted as itself.
        if (errno != ENOTDIR && errno != ELOOP) return 0;
        if (::statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kSizeWalkStatx, &sx) != 0 ||
            S_ISDIR(sx.stx_mode) || (sx.stx_mask & STATX_BLOCKS) == 0)
            return 0;
        return static_cast<std::int64_t>(sx.stx_blocks) * 512;
    }
    // The mount to stay on is read from the folder as opened, so that it is the one walked.
    if (::statx(fd, "", AT_EMPTY_PATH, kSizeWalkStatx, &sx) != 0) {
        ::close(fd);
        return 0;
    }
    return measureFolder(fd, idOf(sx), MountRule::of(sx), pool, split, report);
}

} // namespace

Split Split::standard() {
    // A few thousand entries take a few milliseconds to walk, against tens of microseconds to start
    // a helper; the caller is one of the threads, so one core is already busy.
    return Split{4096, 4096, std::max(0, QThread::idealThreadCount() - 1)};
}

std::int64_t onDisk(const std::filesystem::path& path, QThreadPool& helpers, const Split& split,
                    SplitReport* report) {
    if (report != nullptr) *report = SplitReport{};
    if (path.empty()) return 0;
    try {
        bool tooLong = false;
        const std::int64_t size = measureAt(AT_FDCWD, path.c_str(), helpers, split, report, tooLong);
        if (!tooLong) return size;
        std::string last;
        const int parent = openParentOfLongPath(path.native(), last);
        if (parent < 0) return 0;
        const std::int64_t deep = measureAt(parent, last.c_str(), helpers, split, report, tooLong);
        ::close(parent);
        return deep;
    } catch (...) {
        // Allocation, before anything was counted.
        return 0;
    }
}

std::int64_t onDisk(const std::filesystem::path& path, QThreadPool& helpers) {
    return onDisk(path, helpers, Split::standard());
}

std::int64_t onDisk(const std::filesystem::path& path) {
    return onDisk(path, measuringPool());
}

} // namespace brisklet::FileSize
