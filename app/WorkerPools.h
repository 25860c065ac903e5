#pragma once

#include <QThreadPool>

namespace brisklet {

// The two kinds of background work, kept apart so that neither starves behind the other: what the
// user asked for and waits on (scans, deletions, emptying the Trash, purging memory), and the
// periodic process sampling that nobody waits on. Shared by both models; it must outlive them.
// Destroying it waits for the tasks still running.
class WorkerPools final {
public:
    WorkerPools();
    WorkerPools(const WorkerPools&) = delete;
    WorkerPools& operator=(const WorkerPools&) = delete;

    QThreadPool& userInitiated() { return m_userInitiated; }
    QThreadPool& utility() { return m_utility; }

private:
    QThreadPool m_userInitiated;
    QThreadPool m_utility;
};

} // namespace brisklet
