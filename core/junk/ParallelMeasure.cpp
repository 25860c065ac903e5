#include "core/junk/ParallelMeasure.h"

#include "core/fs/FileSize.h"

#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

namespace brisklet {

namespace {

struct Slot {
    const std::filesystem::path* path = nullptr;
    std::int64_t size = 0;
};

} // namespace

QThreadPool& measuringPool() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(QThread::idealThreadCount());
        p->setExpiryTimeout(30000);
        return p;
    }();
    return *pool;
}

std::vector<std::int64_t> measureOnDisk(const std::vector<std::filesystem::path>& paths, QThreadPool& pool) {
    std::vector<Slot> work(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i)
        work[i].path = &paths[i];
    // A large item is split further over whichever threads of the same pool are idle by then;
    // onDisk never waits for a thread, so it may run inside the pool it asks for help.
    if (work.size() == 1)
        work[0].size = FileSize::onDisk(*work[0].path, pool); // not worth a hand-off
    else if (!work.empty())
        QtConcurrent::blockingMap(&pool, work,
                                  [&pool](Slot& slot) { slot.size = FileSize::onDisk(*slot.path, pool); });
    std::vector<std::int64_t> sizes(work.size());
    for (std::size_t i = 0; i < work.size(); ++i)
        sizes[i] = work[i].size;
    return sizes;
}

} // namespace brisklet
