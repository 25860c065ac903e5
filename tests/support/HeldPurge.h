#pragma once

#include "core/removal/Outcome.h"

#include <functional>
#include <memory>

namespace brisklet::test {

// Stands in for the purge, which asks for a password and drops the kernel's caches: it waits while
// held, so that a model stays "purging" for as long as a test or a picture needs, then ends with
// the outcome given. Safe to outlive: the purge holds its own share of the state.
class HeldPurge {
public:
    explicit HeldPurge(Outcome outcome, bool held = true);

    // For the model's services; blocks its worker thread while held.
    std::function<Outcome()> purge() const;
    // Makes the next purge wait.
    void hold();
    // Lets a waiting purge and any later one end, with `outcome` from now on.
    void release();
    void release(Outcome outcome);

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace brisklet::test
