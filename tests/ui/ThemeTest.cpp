#include "ui/WidgetImage.h"
#include "ui/components/PageHeader.h"
#include "ui/theme/Palette.h"

#include <QLabel>

#include <functional>
#include <string>
#include <vector>

using brisklet::MemoryPressure;
using brisklet::test::darkPalette;
using brisklet::test::lightPalette;
using brisklet::ui::Palette;

namespace {

class ThemeTest : public brisklet::test::GuiTest {};

TEST_F(ThemeTest, darknessFollowsTheWindowColourAndTextFadesInTheTextsHue) {
    EXPECT_FALSE(Palette(lightPalette()).isDark());
    EXPECT_TRUE(Palette(darkPalette()).isDark());
    // A dark theme with a mid-grey window is still dark; a pale one is not.
    EXPECT_TRUE(Palette(QPalette(QColor(110, 110, 110))).isDark());
    EXPECT_FALSE(Palette(QPalette(QColor(150, 150, 150))).isDark());
    for (const QPalette& source : {lightPalette(), darkPalette()}) {
        const Palette palette(source);
        const QRgb text = source.color(QPalette::WindowText).rgb();
        EXPECT_EQ(palette.secondaryText().rgb(), text);
        EXPECT_EQ(palette.tertiaryText().rgb(), text);
        EXPECT_LT(palette.secondaryText().alpha(), 255);
        EXPECT_LT(palette.tertiaryText().alpha(), palette.secondaryText().alpha());
        EXPECT_GT(palette.tertiaryText().alpha(), 0);
    }
}

// Each named colour must look like its name in both modes: a swapped pair (orange for yellow, pink
// for red) passes any test that compares the code with itself, but not this one. The pressure
// levels then pick their colours by name.
TEST_F(ThemeTest, systemColoursLookLikeTheirNamesAndPressureLevelsPickThem) {
    using Pick = std::function<QColor(const Palette&)>;
    const struct {
        std::string name;
        Pick color;
        int hueFrom; // degrees, inclusive; a range that wraps past 360 has hueFrom > hueTo
        int hueTo;
    } cases[] = {
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
            EXPECT_TRUE(hueFrom <= hueTo ? hue >= hueFrom && hue <= hueTo : hue >= hueFrom || hue <= hueTo)
                << "hue " << hue;
            EXPECT_GT(c.hsvSaturation(), 150);
        }
        EXPECT_NE(color(light).rgb(), color(dark).rgb());
        EXPECT_GE(color(dark).lightness(), color(light).lightness());
    }
    const struct {
        MemoryPressure pressure;
        Pick ringStart, ringEnd, pill;
    } levels[] = {
        {MemoryPressure::normal, &Palette::purple, [](const Palette&) { return Palette::brand(); },
         &Palette::green},
        {MemoryPressure::warning, &Palette::orange, &Palette::yellow, &Palette::orange},
        {MemoryPressure::critical, &Palette::red, &Palette::pink, &Palette::red},
    };
    for (const Palette* palette : {&light, &dark})
        for (const auto& level : levels) {
            SCOPED_TRACE(static_cast<int>(level.pressure));
            const auto ring = palette->ringColors(level.pressure);
            EXPECT_EQ(ring[0], level.ringStart(*palette));
            EXPECT_EQ(ring[1], level.ringEnd(*palette));
            EXPECT_EQ(palette->pressureColor(level.pressure), level.pill(*palette));
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

TEST_F(ThemeTest, widgetsRebuildTheirColoursWhenTheirOrTheApplicationsPaletteChanges) {
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

// The header's subtitle and a tint chosen from the theme follow a switch; a plain tint does not.
TEST_F(ThemeTest, headerFollowsTheTheme) {
    brisklet::ui::PageHeader header("Memory", "What is using it", "memorychip.fill",
                                    [](const Palette& colors) { return colors.purple(); });
    const QLabel* subtitle = nullptr;
    for (QLabel* label : header.findChildren<QLabel*>())
        if (label->text() == "What is using it") subtitle = label;
    ASSERT_NE(subtitle, nullptr);
    for (const QPalette& palette : {lightPalette(), darkPalette(), lightPalette()}) {
        header.setPalette(palette);
        EXPECT_EQ(subtitle->palette().color(QPalette::WindowText), Palette(palette).secondaryText());
        EXPECT_EQ(header.tint(), Palette(palette).purple());
    }
    header.setTint(QColor(30, 110, 220));
    header.setPalette(darkPalette());
    EXPECT_EQ(header.tint(), QColor(30, 110, 220));
}

} // namespace
