#include "ui/theme/Symbols.h"
#include "core/junk/JunkKind.h"
#include "support/GuiApplication.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ranges>
#include <string>
#include <string_view>
#include <vector>

namespace Symbols = brisklet::ui::Symbols;

namespace {

// Every symbol name the window, the pages and the tray panel draw. A name added to the interface
// belongs here too; the table must then map it, or these tests fail.
constexpr std::string_view interfaceNames =
    "arrow.clockwise checkmark.circle checkmark.circle.fill checkmark.seal.fill circle doc.text.fill "
    "doc.viewfinder exclamationmark.triangle.fill folder gauge.with.dots.needle.67percent gearshape.2 "
    "hammer.fill info.circle internaldrive lock.fill memorychip memorychip.fill minus.circle.fill "
    "shippingbox "
    "shippingbox.fill sparkles square.stack.3d.up.fill terminal.fill trash.fill wind xmark xmark.circle.fill";

std::vector<std::string_view> allNamesToCheck() {
    std::vector<std::string_view> names;
    for (const auto word : std::views::split(interfaceNames, ' '))
        names.emplace_back(word.begin(), word.end());
    // The junk kinds carry their symbol names from below the interface.
    for (const brisklet::JunkKind kind : brisklet::allJunkKinds)
        names.push_back(brisklet::symbol(kind));
    for (const std::string_view name : Symbols::names())
        names.push_back(name);
    return names;
}

struct Coverage {
    int covered = 0;   // pixels at least half covered by the symbol
    int offTint = 0;   // covered pixels whose colour is not the tint
    double area = 0;   // total coverage, in pixels
    int strongest = 0; // the highest alpha
};

// Colours of premultiplied pixels drift by a step or two at partial coverage, and thin edges carry
// too little colour to judge, so only well-covered pixels are held to the tint.
Coverage coverage(const QImage& image, const QColor& tint) {
    Coverage result;
    const auto close = [](int a, int b) { return std::abs(a - b) <= 3; };
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            result.area += pixel.alphaF();
            result.strongest = std::max(result.strongest, pixel.alpha());
            if (pixel.alpha() < 128) continue;
            ++result.covered;
            if (!close(pixel.red(), tint.red()) || !close(pixel.green(), tint.green()) ||
                !close(pixel.blue(), tint.blue()))
                ++result.offTint;
        }
    }
    return result;
}

class SymbolsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { brisklet::test::ensureQApplication(); }
};

// Drawn white on dark tiles and in the brand colour on light ones: the SVG's own colour must never
// show, only its shape, at the size asked for at both densities.
TEST_F(SymbolsTest, everyNameTheInterfaceUsesIsBundledAndRendersInItsTintAtOneAndTwoTimes) {
    const std::vector<QColor> tints = {QColor(Qt::white), QColor::fromRgbF(0.16f, 0.47f, 1.0f)};
    for (const std::string_view name : allNamesToCheck()) {
        SCOPED_TRACE(std::string(name));
        ASSERT_TRUE(Symbols::has(name)) << "no symbol mapped for this name";
        for (const QColor& tint : tints) {
            SCOPED_TRACE(tint.name().toStdString());
            const QImage single = Symbols::image(name, {16, 16}, 1.0, tint);
            const QImage dense = Symbols::image(name, {16, 16}, 2.0, tint);
            ASSERT_EQ(single.size(), QSize(16, 16));
            ASSERT_EQ(dense.size(), QSize(32, 32));
            const Coverage one = coverage(single, tint);
            const Coverage two = coverage(dense, tint);
            EXPECT_GT(one.covered, 0);
            EXPECT_EQ(one.offTint + two.offTint, 0);
            // The symbol fills the same box at either density: four times the pixels, not the
            // one-times picture in a corner of the larger image.
            EXPECT_GT(two.area, one.area * 3);
            EXPECT_LT(two.area, one.area * 5);
            // Some of the square stays clear: a solid block would mean the tint flooded it.
            EXPECT_LT(one.area, 16 * 16 * 0.75);
        }
    }
    // A translucent tint keeps its own opacity.
    const Coverage faded = coverage(Symbols::image("wind", {16, 16}, 1.0, QColor(255, 0, 0, 100)), Qt::red);
    EXPECT_GT(faded.strongest, 90);
    EXPECT_LE(faded.strongest, 100);
}

TEST_F(SymbolsTest, paintRendersForThePainterDensityInsideItsRectOnly) {
    for (const qreal ratio : {1.0, 2.0}) {
        SCOPED_TRACE(ratio);
        QImage canvas(QSize(40, 40) * ratio, QImage::Format_ARGB32_Premultiplied);
        canvas.setDevicePixelRatio(ratio);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        Symbols::paint(painter, QRectF(12, 12, 16, 16), "trash.fill", Qt::red);
        painter.end();
        // Rendered for the canvas's own pixels, the painted symbol is the symbol's image pixel for pixel,
        // and nothing lies outside its rect; one scaled up from fewer pixels would differ along every edge.
        const QImage expected = Symbols::image("trash.fill", {16, 16}, ratio, Qt::red);
        int mismatches = 0;
        for (int y = 0; y < canvas.height(); ++y)
            for (int x = 0; x < canvas.width(); ++x) {
                const QPoint in = QPoint(x, y) - QPoint(12, 12) * ratio;
                const int want = expected.rect().contains(in) ? expected.pixelColor(in).alpha() : 0;
                mismatches += std::abs(canvas.pixelColor(x, y).alpha() - want) > 2;
            }
        EXPECT_EQ(mismatches, 0);
        EXPECT_GT(coverage(canvas, Qt::red).covered, 20 * ratio * ratio);
    }
}

TEST_F(SymbolsTest, iconServesTintedPixmapsAtTheAskedDensityAndFadesWhenDisabled) {
    const QColor tint(0, 160, 0);
    const QIcon icon = Symbols::icon("folder", tint);
    const QPixmap dense = icon.pixmap(QSize(16, 16), 2.0);
    EXPECT_EQ(dense.size(), QSize(32, 32));
    const Coverage normal = coverage(dense.toImage(), tint);
    EXPECT_EQ(normal.offTint, 0);
    EXPECT_EQ(normal.strongest, 255);
    const Coverage disabled = coverage(icon.pixmap(QSize(16, 16), 1.0, QIcon::Disabled).toImage(), tint);
    EXPECT_GT(disabled.strongest, 0);
    EXPECT_LT(disabled.strongest, 128);
}

TEST_F(SymbolsTest, unknownNamesAreReportedAndDrawNothing) {
    for (const std::string_view name : {"", "trash", "trash.fill ", "memorychip.fil", "Folder"}) {
        SCOPED_TRACE(std::string(name));
        EXPECT_FALSE(Symbols::has(name));
        EXPECT_TRUE(Symbols::image(name, {16, 16}, 1.0, Qt::black).isNull());
        EXPECT_TRUE(Symbols::icon(name, Qt::black).isNull());
        QImage canvas(16, 16, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        Symbols::paint(painter, QRectF(0, 0, 16, 16), name, Qt::black);
        painter.end();
        EXPECT_EQ(coverage(canvas, Qt::black).strongest, 0);
    }
}

} // namespace
