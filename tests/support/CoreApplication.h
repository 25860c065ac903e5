#pragma once

#include <QCoreApplication>

namespace brisklet::test {

// The one application object of a test program, for event loops, timers and signal waits.
inline void ensureCoreApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "brisklet_tests";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

} // namespace brisklet::test
