#include "ui/theme/Palette.h"

#include <QEvent>
#include <QGuiApplication>

#include <algorithm>

namespace brisklet::ui {

namespace {

// One named colour in its light and dark variant. The dark ones are a little brighter so that they
// keep their contrast against a dark window.
struct SystemColor {
    QRgb light;
    QRgb dark;
};

constexpr SystemColor purpleColor{0xffaf52de, 0xffbf5af2};
constexpr SystemColor orangeColor{0xffff9500, 0xffff9f0a};
constexpr SystemColor yellowColor{0xffffcc00, 0xffffd60a};
constexpr SystemColor indigoColor{0xff5856d6, 0xff5e5ce6};
constexpr SystemColor greenColor{0xff34c759, 0xff30d158};
constexpr SystemColor grayColor{0xff8e8e93, 0xff98989d};
constexpr SystemColor pinkColor{0xffff2d55, 0xffff375f};
constexpr SystemColor tealColor{0xff30b0c7, 0xff40c8e0};
constexpr SystemColor redColor{0xffff3b30, 0xffff453a};

QColor pick(const SystemColor& color, bool dark) {
    return QColor::fromRgba(dark ? color.dark : color.light);
}

QColor withOpacity(QColor color, double opacity) {
    color.setAlphaF(static_cast<float>(std::clamp(opacity, 0.0, 1.0) * color.alphaF()));
    return color;
}

QColor mix(const QColor& a, const QColor& b, double t) {
    const auto lerp = [t](float x, float y) { return static_cast<float>(x + (y - x) * t); };
    return QColor::fromRgbF(lerp(a.redF(), b.redF()), lerp(a.greenF(), b.greenF()),
                            lerp(a.blueF(), b.blueF()), lerp(a.alphaF(), b.alphaF()));
}

} // namespace

Palette::Palette() : Palette(QGuiApplication::palette()) {}

Palette::Palette(const QPalette& palette)
    : m_palette(palette), m_dark(palette.color(QPalette::Active, QPalette::Window).lightnessF() < 0.5) {}

QColor Palette::brand() {
    return QColor::fromRgbF(0.16f, 0.47f, 1.0f);
}
QColor Palette::brandTeal() {
    return QColor::fromRgbF(0.08f, 0.76f, 0.85f);
}

QColor Palette::purple() const {
    return pick(purpleColor, m_dark);
}
QColor Palette::orange() const {
    return pick(orangeColor, m_dark);
}
QColor Palette::yellow() const {
    return pick(yellowColor, m_dark);
}
QColor Palette::indigo() const {
    return pick(indigoColor, m_dark);
}
QColor Palette::green() const {
    return pick(greenColor, m_dark);
}
QColor Palette::gray() const {
    return pick(grayColor, m_dark);
}
QColor Palette::pink() const {
    return pick(pinkColor, m_dark);
}
QColor Palette::teal() const {
    return pick(tealColor, m_dark);
}
QColor Palette::red() const {
    return pick(redColor, m_dark);
}

QColor Palette::primary(double opacity) const {
    return withOpacity(m_palette.color(QPalette::Active, QPalette::WindowText), opacity);
}

// Secondary and tertiary text are the text colour faded rather than fixed greys, so they stay in
// the theme's hue and read on both the window and the control background.
QColor Palette::secondaryText() const {
    return primary(m_dark ? 0.55 : 0.5);
}
QColor Palette::tertiaryText() const {
    return primary(m_dark ? 0.25 : 0.26);
}

QColor Palette::windowBackground() const {
    return m_palette.color(QPalette::Active, QPalette::Window);
}
QColor Palette::controlBackground() const {
    return m_palette.color(QPalette::Active, QPalette::Base);
}

QColor Palette::barMaterial() const {
    QColor bar = mix(windowBackground(), controlBackground(), 0.5);
    bar.setAlphaF(0.92f);
    return bar;
}

QColor Palette::sidebarBackground() const {
    return mix(windowBackground(), m_palette.color(QPalette::Active, QPalette::WindowText), m_dark ? 0.05 : 0.035);
}

std::array<QColor, 2> Palette::ringColors(MemoryPressure pressure) const {
    switch (pressure) {
    case MemoryPressure::normal:
        return {purple(), brand()};
    case MemoryPressure::warning:
        return {orange(), yellow()};
    case MemoryPressure::critical:
        return {red(), pink()};
    }
    return {purple(), brand()};
}

QColor Palette::pressureColor(MemoryPressure pressure) const {
    switch (pressure) {
    case MemoryPressure::normal:
        return green();
    case MemoryPressure::warning:
        return orange();
    case MemoryPressure::critical:
        return red();
    }
    return green();
}

QString pressureLabel(MemoryPressure pressure) {
    switch (pressure) {
    case MemoryPressure::normal:
        return QStringLiteral("Pressure normal");
    case MemoryPressure::warning:
        return QStringLiteral("Pressure high");
    case MemoryPressure::critical:
        return QStringLiteral("Pressure critical");
    }
    return {};
}

bool isThemeChange(const QEvent* event) {
    if (!event) return false;
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::ApplicationPaletteChange:
    case QEvent::StyleChange:
        return true;
    default:
        return false;
    }
}

} // namespace brisklet::ui
