#pragma once

#include <QSignalSpy>

namespace brisklet::test {

// Runs the event loop until `done` holds, waking on each signal `spy` records; false when a wait
// ran out first. Bounded generously: a slow machine must not fail a test, a hang must.
template <typename Done> bool waitUntil(QSignalSpy& spy, Done done) {
    while (!done()) {
        if (!spy.wait(30'000)) return false;
    }
    return true;
}

// The same, watching `signal` of `object` from now on.
template <typename Object, typename Signal, typename Done>
bool waitFor(Object& object, Signal signal, Done done) {
    QSignalSpy spy(&object, signal);
    return waitUntil(spy, done);
}

} // namespace brisklet::test
