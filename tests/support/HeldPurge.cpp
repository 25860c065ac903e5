#include "support/HeldPurge.h"

#include <condition_variable>
#include <mutex>

namespace brisklet::test {

struct HeldPurge::State {
    State(bool held, Outcome outcome) : held(held), outcome(std::move(outcome)) {}

    std::mutex mutex;
    std::condition_variable released;
    bool held;
    Outcome outcome;
};

HeldPurge::HeldPurge(Outcome outcome, bool held) : m_state(std::make_shared<State>(held, std::move(outcome))) {}

std::function<Outcome()> HeldPurge::purge() const {
    return [state = m_state] {
        std::unique_lock lock(state->mutex);
        state->released.wait(lock, [&] { return !state->held; });
        return state->outcome;
    };
}

void HeldPurge::hold() {
    const std::lock_guard lock(m_state->mutex);
    m_state->held = true;
}

void HeldPurge::release() {
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->held = false;
    }
    m_state->released.notify_all();
}

void HeldPurge::release(Outcome outcome) {
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->outcome = std::move(outcome);
    }
    release();
}

} // namespace brisklet::test
