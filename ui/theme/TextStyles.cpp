#include "ui/theme/TextStyles.h"

#include <QGuiApplication>

#include <algorithm>
#include <array>
#include <cmath>

namespace brisklet::ui {

namespace {

struct StyleRow {
    TextStyle style;
    double scale; // relative to body text
    QFont::Weight weight;
};

// Sizes follow a 13-point body: 26, 17, 15, 13, 13, 12, 11, 10.
constexpr std::array<StyleRow, 8> styles = {{
    {TextStyle::largeTitle, 26.0 / 13.0, QFont::Bold},
    {TextStyle::title2, 17.0 / 13.0, QFont::Normal},
    {TextStyle::title3, 15.0 / 13.0, QFont::Normal},
    {TextStyle::headline, 1.0, QFont::DemiBold},
    {TextStyle::body, 1.0, QFont::Normal},
    {TextStyle::callout, 12.0 / 13.0, QFont::Normal},
    {TextStyle::caption, 11.0 / 13.0, QFont::Normal},
    {TextStyle::caption2, 10.0 / 13.0, QFont::Normal},
}};

const StyleRow& rowOf(TextStyle style) {
    for (const StyleRow& row : styles)
        if (row.style == style) return row;
    return styles[4];
}

} // namespace

QFont font(TextStyle style) {
    return font(style, QGuiApplication::font());
}

QFont font(TextStyle style, const QFont& base) {
    const StyleRow& row = rowOf(style);
    QFont result = base;
    // A font set in pixels reports no point size, and the other way round; scale whichever it has.
    if (base.pointSizeF() > 0)
        result.setPointSizeF(base.pointSizeF() * row.scale);
    else if (base.pixelSize() > 0)
        result.setPixelSize(std::max(1, static_cast<int>(std::lround(base.pixelSize() * row.scale))));
    result.setWeight(row.weight);
    return result;
}

} // namespace brisklet::ui
