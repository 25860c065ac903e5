#include "app/WorkerPools.h"

#include <algorithm>

namespace brisklet {

WorkerPools::WorkerPools() {
    // Five junk scans, a search and a deletion may all be asked for at once. They spend their time
    // waiting on the disk and on the measuring pool, so each gets a thread rather than a queue slot,
    // and every kind publishes as soon as its own scan ends.
    m_userInitiated.setMaxThreadCount(std::max(8, QThread::idealThreadCount()));
    m_utility.setMaxThreadCount(2);
}

} // namespace brisklet
