#pragma once

#include <memory>

class QThreadPool;

namespace brisklet::test {

// Keeps every thread of a pool busy until opened (or destroyed), so work started meanwhile is
// really under way and waits its turn: how a test or a picture holds a scan in progress.
class PoolGate {
public:
    explicit PoolGate(QThreadPool& pool);
    ~PoolGate();
    PoolGate(const PoolGate&) = delete;
    PoolGate& operator=(const PoolGate&) = delete;

    void open();

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace brisklet::test
