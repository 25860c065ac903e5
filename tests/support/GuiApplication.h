#pragma once

#include <QApplication>

namespace brisklet::test {

// The one application object of a widget test program: fonts, palettes, icons and painting on
// images all need a GUI application, not just a core one.
inline void ensureQApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "brisklet_ui_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

} // namespace brisklet::test
