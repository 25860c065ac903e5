#include "ui/WidgetImage.h"
#include "ui/components/PageHeader.h"
#include "ui/components/PressurePill.h"
#include "ui/theme/Palette.h"

#include <QLabel>
#include <QLayout>
#include <QPointer>

#include <gtest/gtest.h>

#include <cstdlib>

using brisklet::MemoryPressure;
using brisklet::test::countPixels;
using brisklet::test::darkPalette;
using brisklet::test::lightPalette;
using brisklet::test::near;
using brisklet::test::renderWidget;
using brisklet::test::sample;
using brisklet::ui::PageHeader;
using brisklet::ui::Palette;
using brisklet::ui::PressurePill;

namespace {

QLabel* labelWithText(const QWidget& widget, const QString& text) {
    for (QLabel* label : widget.findChildren<QLabel*>())
        if (label->text() == text) return label;
    return nullptr;
}

const QColor tint(30, 110, 220);

class HeaderPillTest : public brisklet::test::GuiTest {};

TEST_F(HeaderPillTest, HeaderPaintsTheSymbolWhiteOnASquareOfTheTint) {
    PageHeader header("Memory", "What is using it", "memorychip.fill", tint);
    header.resize(600, 100);
    header.layout()->activate();
    const QRect badge = header.badgeGeometry();
    EXPECT_EQ(badge.size(), QSize(44, 44));
    EXPECT_EQ(badge.left(), 24);
    EXPECT_GE(badge.top(), 20);
    for (const qreal ratio : {1.0, 2.0}) {
        SCOPED_TRACE(testing::Message() << "ratio " << ratio);
        const QImage image = renderWidget(header, {600, 100}, ratio);
        const QPointF origin = badge.topLeft();
        // The gradient starts at the tint and only darkens towards the far corner.
        const QColor start = sample(image, origin + QPointF(5, 5));
        EXPECT_TRUE(near(start, tint, 12)) << start.name().toStdString();
        EXPECT_EQ(start.alpha(), 255);
        const QColor end = sample(image, origin + QPointF(38, 38));
        EXPECT_LT(end.blue(), start.blue());
        EXPECT_GT(end.blue(), start.blue() / 2);
        // Rounded: the very corner stays clear.
        EXPECT_EQ(sample(image, origin + QPointF(0.5, 0.5)).alpha(), 0);
        const int white =
            countPixels(image, QRect(badge.topLeft() + QPoint(12, 12), QSize(20, 20)),
                        [](const QColor& c) { return c.alpha() == 255 && near(c, Qt::white, 20); });
        EXPECT_GT(white, 20 * ratio * ratio) << "no symbol in the square";
        // The symbol stays inside its 20-point box, so the square's margin is pure gradient.
        EXPECT_EQ(countPixels(image, QRect(badge.topLeft() + QPoint(2, 20), QSize(8, 4)),
                              [](const QColor& c) { return near(c, Qt::white, 40); }),
                  0);
    }
}

TEST_F(HeaderPillTest, HeaderPlacesTextAfterTheSquareAndTheAccessoryAtTheRight) {
    PageHeader header("Large files", "The biggest files in your home", "doc.text.fill", tint);
    auto* accessory = new QWidget;
    accessory->setFixedSize(80, 24);
    header.setAccessory(accessory);
    header.resize(600, 100);
    header.layout()->activate();
    EXPECT_EQ(accessory->geometry().right(), 600 - 24 - 1);
    const QLabel* title = labelWithText(header, "Large files");
    const QLabel* subtitle = labelWithText(header, "The biggest files in your home");
    ASSERT_TRUE(title && subtitle) << "title and subtitle must be readable text, not paint";
    EXPECT_EQ(title->geometry().left(), 24 + 44 + 14);
    EXPECT_EQ(subtitle->geometry().left(), title->geometry().left());
    EXPECT_GE(subtitle->geometry().top(), title->geometry().bottom());
    EXPECT_GT(title->font().pointSizeF(), subtitle->font().pointSizeF());
    EXPECT_GE(title->font().weight(), QFont::DemiBold);
    EXPECT_GE(header.height() - header.badgeGeometry().bottom() - 1, 14);

    // A new accessory replaces the old one, which goes with it; none leaves the row empty.
    QPointer<QWidget> old = accessory;
    header.setAccessory(new QWidget);
    EXPECT_TRUE(old.isNull());
    header.setAccessory(nullptr);
    EXPECT_EQ(header.accessory(), nullptr);

    header.setTitle("Junk");
    EXPECT_EQ(title->text(), "Junk");
}

TEST_F(HeaderPillTest, HeaderSubtitleFollowsThePaletteInSecondaryText) {
    PageHeader header("Overview", "Your computer at a glance", "sparkles", tint);
    const QLabel* subtitle = labelWithText(header, "Your computer at a glance");
    ASSERT_NE(subtitle, nullptr);
    for (const QPalette& palette : {lightPalette(), darkPalette(), lightPalette()}) {
        header.setPalette(palette);
        const Palette colors(palette);
        SCOPED_TRACE(colors.isDark() ? "dark" : "light");
        EXPECT_EQ(subtitle->palette().color(QPalette::WindowText), colors.secondaryText());
    }
}

TEST_F(HeaderPillTest, HeaderTintChosenFromTheThemeFollowsLightAndDark) {
    PageHeader header("Memory", "What is using it", "memorychip.fill",
                      [](const Palette& colors) { return colors.purple(); });
    ASSERT_NE(Palette(lightPalette()).purple(), Palette(darkPalette()).purple());
    for (const QPalette& palette : {darkPalette(), lightPalette()}) {
        header.setPalette(palette);
        EXPECT_EQ(header.tint(), Palette(palette).purple());
    }
    // A plain colour is kept through a theme switch.
    header.setTint(tint);
    header.setPalette(darkPalette());
    EXPECT_EQ(header.tint(), tint);
}

struct PillCase {
    MemoryPressure pressure;
    QColor (Palette::*color)() const;
    const char* label;
};

const PillCase pillCases[] = {
    {MemoryPressure::normal, &Palette::green, "Pressure normal"},
    {MemoryPressure::warning, &Palette::orange, "Pressure high"},
    {MemoryPressure::critical, &Palette::red, "Pressure critical"},
};

TEST_F(HeaderPillTest, PillShowsEachLevelInItsColourAndWords) {
    for (const QPalette& palette : {lightPalette(), darkPalette()}) {
        const Palette colors(palette);
        for (const PillCase& level : pillCases) {
            // Reached both ways: built at the level, and moved there from another one.
            PressurePill built(level.pressure);
            PressurePill moved(level.pressure == MemoryPressure::critical ? MemoryPressure::normal
                                                                          : MemoryPressure::critical);
            moved.setPressure(level.pressure);
            for (PressurePill* pill : {&built, &moved}) {
                pill->setPalette(palette);
                const QColor expected = (colors.*level.color)();
                SCOPED_TRACE(testing::Message() << level.label << (colors.isDark() ? " dark" : " light"));
                EXPECT_EQ(pill->label(), level.label);
                EXPECT_EQ(pill->accessibleName(), level.label);
                const QSize size = pill->sizeHint();
                EXPECT_GT(size.width(), 7 + 20);
                for (const qreal ratio : {1.0, 2.0}) {
                    SCOPED_TRACE(testing::Message() << "ratio " << ratio);
                    const QImage image = renderWidget(*pill, size, ratio);
                    const QRectF dot = pill->dotRect();
                    EXPECT_EQ(dot.size(), QSizeF(7, 7));
                    const QColor centre = sample(image, dot.center());
                    EXPECT_TRUE(near(centre, expected, 1)) << centre.name().toStdString();
                    EXPECT_EQ(centre.alpha(), 255);
                    // Between the capsule's end and the dot: the level's colour, faint.
                    const QColor capsule = sample(image, {dot.left() - 3, size.height() / 2.0});
                    EXPECT_NEAR(capsule.alpha(), 0.14 * 255, 3);
                    EXPECT_TRUE(near(capsule, expected, 12)) << capsule.name().toStdString();
                }
            }
        }
    }
}

} // namespace
