#include "support/PoolGate.h"

#include <QThreadPool>

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace brisklet::test {

struct PoolGate::State {
    std::mutex mutex;
    std::condition_variable changed;
    int waiting = 0;
    bool open = false;
};

PoolGate::PoolGate(QThreadPool& pool) : m_state(std::make_shared<State>()) {
    const int threads = std::max(1, pool.maxThreadCount());
    for (int i = 0; i < threads; ++i) {
        pool.start([state = m_state] {
            std::unique_lock lock(state->mutex);
            ++state->waiting;
            state->changed.notify_all();
            state->changed.wait(lock, [&] { return state->open; });
        });
    }
    std::unique_lock lock(m_state->mutex);
    m_state->changed.wait(lock, [&] { return m_state->waiting == threads; });
}

PoolGate::~PoolGate() {
    open();
}

void PoolGate::open() {
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->open = true;
    }
    m_state->changed.notify_all();
}

} // namespace brisklet::test
