#include "ui/WidgetImage.h"
#include "ui/theme/Palette.h"

using brisklet::test::darkPalette;
using brisklet::test::lightPalette;
using brisklet::ui::Palette;

namespace {

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

class ThemeTest : public brisklet::test::GuiTest {};

TEST_F(ThemeTest, darknessFollowsTheWindowColourAndWidgetsRebuildTheirColoursOnAPaletteChange) {
    EXPECT_FALSE(Palette(lightPalette()).isDark());
    EXPECT_TRUE(Palette(darkPalette()).isDark());
    // A dark theme with a mid-grey window is still dark; a pale one is not.
    EXPECT_TRUE(Palette(QPalette(QColor(110, 110, 110))).isDark());
    EXPECT_FALSE(Palette(QPalette(QColor(150, 150, 150))).isDark());

    TrackWidget widget;
    widget.setPalette(lightPalette());
    EXPECT_EQ(widget.track.rgb(), QColor(Qt::black).rgb());
    widget.setPalette(darkPalette());
    EXPECT_EQ(widget.track.rgb(), QColor(Qt::white).rgb());
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

} // namespace
