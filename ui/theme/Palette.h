#pragma once

#include "core/proc/MemorySnapshot.h"

#include <QColor>
#include <QEvent>
#include <QPalette>
#include <QString>
#include <QWidget>

#include <array>

namespace brisklet::ui {

// Colours by meaning, derived from one QPalette. Nothing here is stored process-wide: a widget builds
// a Palette from its own palette() when it paints or when the palette changes (see isThemeChange), so
// switching between light and dark never leaves a stale colour behind.
class Palette {
public:
    // The application's current palette.
    Palette();
    explicit Palette(const QPalette& palette);

    // Dark when the window colour is closer to black than to white; desktops report no "dark mode"
    // flag of their own that all styles agree on, but every dark theme paints a dark window.
    bool isDark() const { return m_dark; }

    // The two brand colours stay the same in light and dark: they are the program's identity.
    static QColor brand();
    static QColor brandTeal();

    QColor purple() const;
    QColor orange() const;
    QColor yellow() const;
    QColor indigo() const;
    QColor green() const;
    QColor gray() const;
    QColor pink() const;
    QColor teal() const;
    QColor red() const;

    // The text colour at `opacity` (0…1): hairlines and tracks are drawn in it so they read on
    // either background.
    QColor primary(double opacity = 1.0) const;
    QColor secondaryText() const;
    QColor tertiaryText() const;
    QColor windowBackground() const;
    QColor controlBackground() const;
    // The bottom bar's fill: slightly set off from the window, and not fully opaque, so content
    // scrolled beneath it still shows faintly as it does under a material.
    QColor barMaterial() const;
    // The page list's side of the window: set off from the detail, a shade towards the text colour.
    QColor sidebarBackground() const;

    // The gradient of rings and gauges that show memory, first colour at the start of the arc.
    std::array<QColor, 2> ringColors(MemoryPressure pressure) const;
    QColor pressureColor(MemoryPressure pressure) const;

private:
    QPalette m_palette;
    bool m_dark = false;
};

QString pressureLabel(MemoryPressure pressure);

// For a widget's changeEvent: true when the event means every colour derived from Palette may have
// changed (the widget's or the application's palette, or the style). The widget then rebuilds
// whatever it derived and repaints:
//
//     void Gauge::changeEvent(QEvent* event) {
//         if (ui::isThemeChange(event)) rebuildColors(ui::Palette(palette()));
//         QWidget::changeEvent(event);
//     }
bool isThemeChange(const QEvent* event);

// The same as a one-liner: when `event` is a theme change, calls rebuild(Palette of the widget) and
// schedules a repaint. Returns whether it did.
template <typename Rebuild>
bool rebuildOnThemeChange(QWidget& widget, const QEvent* event, Rebuild&& rebuild) {
    if (!isThemeChange(event)) return false;
    rebuild(Palette(widget.palette()));
    widget.update();
    return true;
}

} // namespace brisklet::ui
