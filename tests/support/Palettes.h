#pragma once

#include <QColor>
#include <QPalette>

namespace brisklet::test {

// A plain light and a plain dark palette, for checking that colours follow the desktop's. Shared by
// the widget tests and the snapshot program, so both judge the same two looks.
inline QPalette lightPalette() {
    QPalette palette(QColor(236, 236, 236));
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::Base, Qt::white);
    return palette;
}

inline QPalette darkPalette() {
    QPalette palette(QColor(50, 50, 50));
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Base, QColor(30, 30, 30));
    return palette;
}

} // namespace brisklet::test
