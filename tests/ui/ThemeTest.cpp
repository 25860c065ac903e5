#include "ui/WidgetImage.h"
#include "ui/components/PageHeader.h"
#include "ui/components/PressurePill.h"
#include "ui/theme/Palette.h"
#include "ui/theme/TextStyles.h"

#include <QLabel>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using brisklet::MemoryPressure;
using brisklet::test::darkPalette;
using brisklet::test::lightPalette;
using brisklet::ui::PageHeader;
using brisklet::ui::Palette;
using brisklet::ui::PressurePill;
using brisklet::ui::TextStyle;

namespace {

bool sameColor(const QColor& a, const QColor& b) {
    return a.rgba() == b.rgba();
}

class ThemeTest : public brisklet::test::GuiTest {};

TEST_F(ThemeTest, darknessFollowsTheWindowColour) {
    EXPECT_FALSE(Palette(lightPalette()).isDark());
    EXPECT_TRUE(Palette(darkPalette()).isDark());
    // A dark theme with a mid-grey window is still dark; a pale one is not.
    EXPECT_TRUE(Palette(QPalette(QColor(110, 110, 110))).isDark());
    EXPECT_FALSE(Palette(QPalette(QColor(150, 150, 150))).isDark());
}

TEST_F(ThemeTest, textAndBackgroundsComeFromThePalette) {
    for (const QPalette& source : {lightPalette(), darkPalette()}) {
        const Palette palette(source);
        SCOPED_TRACE(palette.isDark() ? "dark" : "light");
        EXPECT_TRUE(sameColor(palette.primary(), source.color(QPalette::WindowText)));
        EXPECT_TRUE(sameColor(palette.windowBackground(), source.color(QPalette::Window)));
        EXPECT_TRUE(sameColor(palette.controlBackground(), source.color(QPalette::Base)));

        const QColor hairline = palette.primary(0.07);
        EXPECT_EQ(hairline.rgb(), source.color(QPalette::WindowText).rgb());
        EXPECT_NEAR(hairline.alphaF(), 0.07, 0.01);
        // Out-of-range opacities are clamped, not wrapped.
        EXPECT_EQ(palette.primary(1.5).alpha(), 255);
        EXPECT_EQ(palette.primary(-1).alpha(), 0);

        // Secondary text fades further than primary, tertiary further still, all in the text's hue.
        EXPECT_EQ(palette.secondaryText().rgb(), source.color(QPalette::WindowText).rgb());
        EXPECT_EQ(palette.tertiaryText().rgb(), source.color(QPalette::WindowText).rgb());
        EXPECT_LT(palette.secondaryText().alpha(), 255);
        EXPECT_LT(palette.tertiaryText().alpha(), palette.secondaryText().alpha());
        EXPECT_GT(palette.tertiaryText().alpha(), 0);

        // The bar sits between window and control background and lets a little show through.
        const QColor bar = palette.barMaterial();
        const auto between = [](int v, int a, int b) { return v >= std::min(a, b) && v <= std::max(a, b); };
        EXPECT_TRUE(between(bar.red(), palette.windowBackground().red(), palette.controlBackground().red()));
        EXPECT_LT(bar.alpha(), 255);
        EXPECT_GT(bar.alpha(), 200);
    }
    EXPECT_FALSE(sameColor(Palette(lightPalette()).primary(), Palette(darkPalette()).primary()));
    EXPECT_FALSE(
        sameColor(Palette(lightPalette()).windowBackground(), Palette(darkPalette()).windowBackground()));
}

struct SystemColorCase {
    std::string name;
    std::function<QColor(const Palette&)> color;
    int hueFrom; // degrees, inclusive; a range that wraps past 360 has hueFrom > hueTo
    int hueTo;
};

// Each named colour must look like its name in both modes: a swapped pair (orange for yellow, pink
// for red) passes any test that compares the code with itself, but not this one.
TEST_F(ThemeTest, systemColoursLookLikeTheirNamesAndBrightenInDarkMode) {
    const std::vector<SystemColorCase> cases = {
        {"red", &Palette::red, 350, 10},        {"orange", &Palette::orange, 25, 45},
        {"yellow", &Palette::yellow, 45, 60},   {"green", &Palette::green, 120, 150},
        {"teal", &Palette::teal, 180, 200},     {"indigo", &Palette::indigo, 230, 250},
        {"purple", &Palette::purple, 270, 290}, {"pink", &Palette::pink, 335, 355},
    };
    const Palette light(lightPalette());
    const Palette dark(darkPalette());
    for (const auto& [name, color, hueFrom, hueTo] : cases) {
        SCOPED_TRACE(name);
        for (const Palette* palette : {&light, &dark}) {
            const QColor c = color(*palette);
            const int hue = c.hsvHue();
            const bool inRange =
                hueFrom <= hueTo ? hue >= hueFrom && hue <= hueTo : hue >= hueFrom || hue <= hueTo;
            EXPECT_TRUE(inRange) << "hue " << hue;
            EXPECT_GT(c.hsvSaturation(), 150);
            EXPECT_EQ(c.alpha(), 255);
        }
        EXPECT_FALSE(sameColor(color(light), color(dark)));
        EXPECT_GE(color(dark).lightness(), color(light).lightness());
    }
    for (const Palette* palette : {&light, &dark})
        EXPECT_LT(palette->gray().hsvSaturation(), 20);
    EXPECT_GE(dark.gray().lightness(), light.gray().lightness());
}

TEST_F(ThemeTest, pressureLevelsPickTheirRingColoursPillColourAndLabel) {
    struct Case {
        MemoryPressure pressure;
        std::function<QColor(const Palette&)> ringStart, ringEnd, pill;
        QString label;
    };
    const std::vector<Case> cases = {
        {MemoryPressure::normal, &Palette::purple, [](const Palette&) { return Palette::brand(); },
         &Palette::green, "Pressure normal"},
        {MemoryPressure::warning, &Palette::orange, &Palette::yellow, &Palette::orange, "Pressure high"},
        {MemoryPressure::critical, &Palette::red, &Palette::pink, &Palette::red, "Pressure critical"},
    };
    for (const QPalette& source : {lightPalette(), darkPalette()}) {
        const Palette palette(source);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.label.toStdString() + (palette.isDark() ? " dark" : " light"));
            const auto ring = palette.ringColors(c.pressure);
            EXPECT_TRUE(sameColor(ring[0], c.ringStart(palette)));
            EXPECT_TRUE(sameColor(ring[1], c.ringEnd(palette)));
            EXPECT_TRUE(sameColor(palette.pressureColor(c.pressure), c.pill(palette)));
            EXPECT_EQ(brisklet::ui::pressureLabel(c.pressure), c.label);
        }
    }
}

// A widget the way components use the helper: it keeps one derived colour and must refresh it when
// its palette changes, without anyone calling it.
class TrackWidget final : public QWidget {
public:
    QColor track = Palette(palette()).primary(0.08);
    int rebuilds = 0;

protected:
    void changeEvent(QEvent* event) override {
        brisklet::ui::rebuildOnThemeChange(*this, event, [this](const Palette& p) {
            track = p.primary(0.08);
            ++rebuilds;
        });
        QWidget::changeEvent(event);
    }
};

TEST_F(ThemeTest, widgetsRebuildTheirColoursWhenThePaletteChanges) {
    TrackWidget widget;
    widget.setPalette(lightPalette());
    EXPECT_EQ(widget.track.rgb(), QColor(Qt::black).rgb());
    widget.setPalette(darkPalette());
    EXPECT_EQ(widget.track.rgb(), QColor(Qt::white).rgb());
    EXPECT_NEAR(widget.track.alphaF(), 0.08, 0.01);

    const int before = widget.rebuilds;
    widget.resize(30, 30);
    widget.setToolTip("unrelated");
    EXPECT_EQ(widget.rebuilds, before);

    const QEvent applicationPalette(QEvent::ApplicationPaletteChange);
    const QEvent font(QEvent::FontChange);
    EXPECT_TRUE(brisklet::ui::isThemeChange(&applicationPalette));
    EXPECT_FALSE(brisklet::ui::isThemeChange(&font));
    EXPECT_FALSE(brisklet::ui::isThemeChange(nullptr));

    // The switch a desktop makes between light and dark: nothing sets the widget's own palette.
    const QPalette original = QApplication::palette();
    QApplication::setPalette(lightPalette());
    TrackWidget follower;
    for (const QPalette& palette : {darkPalette(), lightPalette(), darkPalette()}) {
        QApplication::setPalette(palette);
        // Qt hands the new palette to each widget through posted events.
        QApplication::processEvents();
        EXPECT_EQ(follower.track.rgb(), Palette(palette).primary().rgb());
        EXPECT_EQ(Palette().isDark(), Palette(palette).isDark())
            << "the default palette is the application's";
    }
    QApplication::setPalette(original);
}

TEST_F(ThemeTest, textStylesScaleFromTheBaseFontInOneOrder) {
    struct Case {
        TextStyle style;
        double size; // for a 13-point body
        QFont::Weight weight;
    };
    const std::vector<Case> cases = {
        {TextStyle::largeTitle, 26, QFont::Bold}, {TextStyle::title2, 17, QFont::Normal},
        {TextStyle::title3, 15, QFont::Normal},   {TextStyle::headline, 13, QFont::DemiBold},
        {TextStyle::body, 13, QFont::Normal},     {TextStyle::callout, 12, QFont::Normal},
        {TextStyle::caption, 11, QFont::Normal},  {TextStyle::caption2, 10, QFont::Normal},
    };
    QFont points("DejaVu Sans");
    points.setPointSizeF(13);
    points.setItalic(true);
    QFont pixels("DejaVu Sans");
    pixels.setPixelSize(26); // a font given in pixels has no point size to scale
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.style));
        const QFont fromPoints = brisklet::ui::font(c.style, points);
        EXPECT_NEAR(fromPoints.pointSizeF(), c.size, 0.01);
        EXPECT_EQ(fromPoints.weight(), c.weight);
        EXPECT_EQ(fromPoints.family(), points.family());
        EXPECT_TRUE(fromPoints.italic());

        const QFont fromPixels = brisklet::ui::font(c.style, pixels);
        EXPECT_EQ(fromPixels.pixelSize(), static_cast<int>(c.size * 2));
    }

    // Without a base the application font stands for body text.
    const QFont original = QApplication::font();
    QFont app = original;
    app.setPointSizeF(10);
    QApplication::setFont(app);
    EXPECT_NEAR(brisklet::ui::font(TextStyle::body).pointSizeF(), 10, 0.01);
    EXPECT_NEAR(brisklet::ui::font(TextStyle::largeTitle).pointSizeF(), 20, 0.01);
    QApplication::setFont(original);
}

// Components that keep colours derived from the theme: the header's subtitle and a tint chosen
// from the theme follow a switch, a plain tint does not; the pill words its level.
TEST_F(ThemeTest, headerAndPillFollowTheThemeAndWordTheirState) {
    PageHeader header("Memory", "What is using it", "memorychip.fill",
                      [](const Palette& colors) { return colors.purple(); });
    const QLabel* subtitle = nullptr;
    for (QLabel* label : header.findChildren<QLabel*>())
        if (label->text() == "What is using it") subtitle = label;
    ASSERT_NE(subtitle, nullptr);
    ASSERT_NE(Palette(lightPalette()).purple(), Palette(darkPalette()).purple());
    for (const QPalette& palette : {lightPalette(), darkPalette(), lightPalette()}) {
        header.setPalette(palette);
        EXPECT_EQ(subtitle->palette().color(QPalette::WindowText), Palette(palette).secondaryText());
        EXPECT_EQ(header.tint(), Palette(palette).purple());
    }
    header.setTint(QColor(30, 110, 220));
    header.setPalette(darkPalette());
    EXPECT_EQ(header.tint(), QColor(30, 110, 220));

    PressurePill pill(MemoryPressure::critical);
    for (const MemoryPressure level :
         {MemoryPressure::normal, MemoryPressure::warning, MemoryPressure::critical}) {
        pill.setPressure(level);
        EXPECT_EQ(pill.label(), brisklet::ui::pressureLabel(level));
        EXPECT_EQ(pill.accessibleName(), brisklet::ui::pressureLabel(level));
        EXPECT_GT(pill.sizeHint().width(), 7 + 20);
    }
}

} // namespace
