#include "ui/theme/Symbols.h"
#include "core/junk/JunkKind.h"
#include "support/GuiApplication.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ranges>
#include <string>
#include <string_view>
#include <vector>

namespace Symbols = brisklet::ui::Symbols;

namespace {

// Every symbol name the window, the pages and the tray panel draw. A name added to the interface
// belongs here too; the table must then map it, or this test fails.
constexpr std::string_view interfaceNames =
    "arrow.clockwise checkmark.circle checkmark.circle.fill checkmark.seal.fill circle doc.text.fill "
    "doc.viewfinder exclamationmark.triangle.fill folder gauge.with.dots.needle.67percent gearshape.2 "
    "hammer.fill info.circle internaldrive lock.fill memorychip memorychip.fill minus.circle.fill "
    "shippingbox "
    "shippingbox.fill sparkles square.stack.3d.up.fill terminal.fill trash.fill wind xmark xmark.circle.fill";

// Pixels at least half covered, and of those the ones not in the tint. Thin edges carry too little
// colour to judge, and premultiplied colours drift a step or two.
std::pair<int, int> coverage(const QImage& image, const QColor& tint) {
    int covered = 0;
    int offTint = 0;
    const auto close = [](int a, int b) { return std::abs(a - b) <= 3; };
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < 128) continue;
            ++covered;
            offTint += !close(pixel.red(), tint.red()) || !close(pixel.green(), tint.green()) ||
                       !close(pixel.blue(), tint.blue());
        }
    return {covered, offTint};
}

// Drawn white on dark tiles and in the brand colour on light ones: the SVG's own colour must never
// show, only its shape. A name the table does not know draws nothing at all.
TEST(SymbolsTest, everyNameTheInterfaceUsesRendersInItsTintAndUnknownNamesDrawNothing) {
    brisklet::test::ensureQApplication();
    std::vector<std::string_view> names;
    for (const auto word : std::views::split(interfaceNames, ' '))
        names.emplace_back(word.begin(), word.end());
    // The junk kinds carry their symbol names from below the interface.
    for (const brisklet::JunkKind kind : brisklet::allJunkKinds)
        names.push_back(brisklet::symbol(kind));
    for (const std::string_view name : Symbols::names())
        names.push_back(name);
    for (const std::string_view name : names)
        for (const QColor& tint : {QColor(Qt::white), QColor::fromRgbF(0.16f, 0.47f, 1.0f)}) {
            SCOPED_TRACE(std::string(name) + " in " + tint.name().toStdString());
            ASSERT_TRUE(Symbols::has(name)) << "no symbol mapped for this name";
            const auto [covered, offTint] = coverage(Symbols::image(name, {16, 16}, 2.0, tint), tint);
            EXPECT_GT(covered, 0);
            EXPECT_LT(covered, 32 * 32 * 3 / 4) << "a solid block means the tint flooded the square";
            EXPECT_EQ(offTint, 0);
        }
    for (const std::string_view name : {"", "trash", "trash.fill ", "memorychip.fil", "Folder"}) {
        SCOPED_TRACE(std::string(name));
        EXPECT_FALSE(Symbols::has(name));
        EXPECT_TRUE(Symbols::image(name, {16, 16}, 1.0, Qt::black).isNull());
        EXPECT_TRUE(Symbols::icon(name, Qt::black).isNull());
        QImage canvas(16, 16, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        const QImage blank = canvas.copy();
        QPainter painter(&canvas);
        Symbols::paint(painter, QRectF(0, 0, 16, 16), name, Qt::black);
        painter.end();
        EXPECT_EQ(canvas, blank);
    }
}

} // namespace
