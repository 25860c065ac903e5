#include "ui/SidebarDisk.h"
#include "ui/WidgetImage.h"
#include "ui/components/ActionBar.h"
#include "ui/components/Card.h"
#include "ui/components/CheckBox.h"
#include "ui/components/FileIcon.h"
#include "ui/components/IconCache.h"
#include "ui/components/NoticeView.h"
#include "ui/components/PageHeader.h"
#include "ui/components/PressurePill.h"
#include "ui/components/ProminentButton.h"
#include "ui/components/Ring.h"
#include "ui/components/Tag.h"
#include "ui/components/TileButton.h"
#include "ui/theme/Palette.h"

#include <QEnterEvent>
#include <QLayout>
#include <QPainter>
#include <QPixmap>
#include <QVariantAnimation>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// What each painted component puts where, as rows: a widget, the size it is painted at, and the
// pixels sampled from it at one and at two device pixels per point. A part drawn at the wrong
// place, in the wrong colour or only for one density shows up as a failing row.
namespace brisklet::ui {
namespace {

using test::countPixels;
using test::darkPalette;
using test::lightPalette;
using Holds = std::function<bool(const QColor&)>;

// Colours in all four channels within `tolerance`.
Holds like(QColor want, int tolerance = 0) {
    return [=](const QColor& c) {
        return test::near(c, want, tolerance) && std::abs(c.alpha() - want.alpha()) <= tolerance;
    };
}
Holds clear() {
    return [](const QColor& c) { return c.alpha() == 0; };
}
Holds faint(QColor hue, double opacity, int hueTolerance = 255) {
    return [=](const QColor& c) {
        return std::abs(c.alpha() - opacity * 255) <= 3 && test::near(c, hue, hueTolerance);
    };
}
Holds opaque(QColor want, int tolerance) {
    return [=](const QColor& c) { return c.alpha() == 255 && test::near(c, want, tolerance); };
}
// `top` painted over `bottom` on a clear pixel.
QColor over(const QColor& top, const QColor& bottom) {
    QImage pixel(1, 1, QImage::Format_ARGB32_Premultiplied);
    pixel.fill(bottom);
    QPainter(&pixel).fillRect(0, 0, 1, 1, top);
    return pixel.pixelColor(0, 0);
}

struct Probe {
    QPointF at;
    Holds holds;
    qreal onlyAtRatio = 0; // at twice the pixels a hairline's outer half has its row to itself
};
// Pixels within `area` that hold: more than `moreThan` per pixel of a point (so × ratio²), at most `atMost`.
struct Count {
    QRect area;
    Holds holds;
    int moreThan;
    int atMost = -1;
};
struct Painted {
    std::string name;
    std::function<std::unique_ptr<QWidget>()> make;
    QSize size; // empty: the widget's size hint
    std::vector<Probe> probes;
    std::vector<Count> counts = {};
};

const QColor fill(0, 200, 0); // the probe palette's control background
const QColor tint(30, 110, 220);

template <typename W, typename... Args>
std::function<std::unique_ptr<QWidget>()> build(QPalette palette, Args... args) {
    return [=] {
        auto widget = std::make_unique<W>(args...);
        widget->setPalette(palette);
        return widget;
    };
}

std::vector<Painted> paintedRows() {
    const QColor blue(0, 0, 255);
    const QSize tag = Tag("cache", blue).sizeHint();
    std::vector<Painted> rows = {
        // Radius 16: the very corner lies outside; the outline is the text colour, faint, over the fill.
        {"card",
         build<Card>(test::probePalette()),
         {200, 100},
         {{{100, 50}, like(fill)}, {{0.5, 0.5}, clear()}, {{100, 0}, faint(QColor(255, 0, 0), 0.07, 60), 2}}},
        // The capsule alone inside the side inset: the colour at 15 %; round ends leave corners bare.
        {"tag",
         build<Tag>(QPalette(), QString("cache"), blue),
         tag,
         {{{0, 0}, clear()}, {{tag.width() / 2.0, 1}, faint(blue, 0.15, 15)}},
         {{QRect(QPoint(), tag), [](const QColor& c) { return c.alpha() > 200; }, 10}}},
        {"file icon centred in its square",
         [] { return std::make_unique<FileIcon>("/nonexistent/c.txt", 24); },
         {48, 24},
         {{{13, 1}, like(blue)}, {{34.5, 22.5}, like(blue)}, {{2, 12}, clear()}}},
        // A quarter: the arc runs clockwise from twelve to three, the rest is the faint track of the
        // probe palette's red, and the middle stays bare.
        {"ring at a quarter",
         [=] {
             auto ring = std::make_unique<Ring>();
             ring->setPalette(test::probePalette());
             ring->setLineWidth(10);
             ring->setColors({blue, blue});
             ring->setFraction(0.25, Ring::Transition::immediate);
             return ring;
         },
         {100, 100},
         {{{81.8, 18.2}, opaque(blue, 60)},
          {{18.2, 18.2}, faint(QColor(255, 0, 0), 0.08, 60)},
          {{50, 50}, clear()}}},
        // Hovered, the outline turns to the brand colour; at twice the pixels the stroke's outer half
        // is the outline alone.
        {"hovered tile",
         [] {
             auto tile = std::make_unique<TileButton>("Title", "Detail");
             tile->setPalette(test::probePalette());
             QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
             QCoreApplication::sendEvent(tile.get(), &enter);
             tile->hoverAnimation()->setCurrentTime(tile->hoverAnimation()->duration());
             return tile;
         },
         {300, 80},
         {{{150, 0}, faint(Palette::brand(), 0.55, 10), 2}, {{150, 15}, like(fill)}}},
    };
    // A check box's symbol in its state's tint: the accent when on or mixed; when off the probe
    // palette's red text, faint, where a thin stroke may cover no pixel fully.
    const QRect box(QPoint(), CheckBox(CheckState::on, {}).sizeHint());
    for (const CheckState state : {CheckState::on, CheckState::mixed, CheckState::off}) {
        const bool off = state == CheckState::off;
        const QColor hue = off ? QColor(255, 0, 0) : QColor(41, 120, 255);
        const int minAlpha = off ? 30 : 150;
        const int maxAlpha = off ? 70 : 255;
        rows.push_back(
            {"check box " + std::to_string(static_cast<int>(state)),
             build<CheckBox>(test::probePalette(), state, std::function<void()>{}),
             box.size(),
             {},
             {{box, [=](const QColor& c) { return c.alpha() >= minAlpha && test::near(c, hue, 4); }, 0},
              {box,
               [=](const QColor& c) {
                   return c.alpha() > maxAlpha || (c.alpha() >= minAlpha && !test::near(c, hue, 4));
               },
               -1, 0}}});
    }
    // The badge: a square of the tint that only darkens towards the far corner, round-cornered,
    // the symbol white inside its 20-point box and the margin around it pure gradient.
    const auto header = [] {
        auto made = std::make_unique<PageHeader>("Memory", "What is using it", "memorychip.fill", tint);
        made->resize(600, 100);
        made->layout()->activate();
        return made;
    };
    const QPoint badge = header()->badgeGeometry().topLeft();
    rows.push_back({"header badge",
                    header,
                    {600, 100},
                    {{badge + QPointF(5, 5), opaque(tint, 12)},
                     {badge + QPointF(38, 38),
                      [](const QColor& c) { return c.blue() < tint.blue() && c.blue() > tint.blue() / 2; }},
                     {badge + QPointF(0.5, 0.5), clear()}},
                    {{QRect(badge + QPoint(12, 12), QSize(20, 20)), opaque(Qt::white, 20), 20},
                     {QRect(badge + QPoint(2, 20), QSize(8, 4)),
                      [](const QColor& c) { return test::near(c, Qt::white, 40); }, -1, 0}}});
    // The disk's bar is red only past ninety percent used; past the fill the track is faint.
    for (const std::int64_t available : {100, 99}) {
        const auto disk = [=] {
            auto made = std::make_unique<SidebarDisk>();
            made->setPalette(lightPalette());
            made->setDisk({"Home", 1000, available});
            made->resize(220, made->sizeHint().height());
            return made;
        };
        const QRectF bar = disk()->barGeometry();
        const auto along = [=](qreal share) {
            return QPointF(bar.left() + bar.width() * share, bar.center().y());
        };
        rows.push_back({"disk bar with " + std::to_string(available) + " of 1000 free",
                        disk,
                        disk()->size(),
                        {{along(0.5),
                          [=](const QColor& c) {
                              return c.alpha() > 200 &&
                                     (available < 100 ? c.red() > c.blue() + 100 : c.blue() > c.red() + 100);
                          }},
                         {along(0.97), [](const QColor& c) { return c.alpha() < 60; }}}});
    }
    const QRect sign(14, 10, NoticeView::symbolSize, NoticeView::symbolSize);
    for (const QPalette& palette : {lightPalette(), darkPalette()}) {
        const Palette colors(palette);
        const std::string look = colors.isDark() ? " dark" : " light";
        // Each level in its colour once the pill moves there from another. Sampled at the dot's
        // centre, and on the faint capsule between its end and the dot.
        const std::pair<MemoryPressure, QColor> levels[] = {{MemoryPressure::normal, colors.green()},
                                                            {MemoryPressure::warning, colors.orange()},
                                                            {MemoryPressure::critical, colors.red()}};
        for (const auto& [level, color] : levels) {
            const auto pill = [=] {
                auto made = std::make_unique<PressurePill>(
                    level == MemoryPressure::critical ? MemoryPressure::normal : MemoryPressure::critical);
                made->setPressure(level);
                made->setPalette(palette);
                made->resize(made->sizeHint());
                return made;
            };
            const QRectF dot = pill()->dotRect();
            rows.push_back({"pill " + pressureLabel(level).toStdString() + look,
                            pill,
                            {},
                            {{dot.center(), opaque(color, 1)},
                             {{dot.left() - 3, dot.center().y()}, faint(color, 0.14, 12)}}});
        }
        // A notice built as the other outcome and switched: fill and sign take the new accent only.
        for (const bool isError : {true, false}) {
            const QColor accent = isError ? colors.orange() : colors.green();
            const QColor other = isError ? colors.green() : colors.orange();
            rows.push_back({std::string(isError ? "error" : "success") + " notice" + look,
                            [=] {
                                auto view = std::make_unique<NoticeView>("Removed 12 items", !isError, [] {});
                                view->setPalette(palette);
                                view->setNotice("Could not remove 3 items", isError);
                                view->resize(400, 60);
                                view->layout()->activate();
                                return view;
                            },
                            {400, 60},
                            {{{6, 30}, faint(accent, 0.13, 6)}, {{0.5, 0.5}, clear()}},
                            {{sign, opaque(accent, 8), 20}, {sign, opaque(other, 8), -1, 0}}});
        }
        // The bar material under a one-point hairline at any ratio, colours set after construction.
        const QColor divider = over(colors.primary(0.1), colors.barMaterial());
        std::vector<Probe> bar;
        for (const auto& [y, want] : {std::pair{0.0, divider},
                                      {0.5, divider},
                                      {1.0, colors.barMaterial()},
                                      {59.0, colors.barMaterial()}})
            bar.push_back({{200, y}, like(want, 2)});
        rows.push_back({"action bar" + look,
                        [=] {
                            auto actions = std::make_unique<ActionBar>();
                            actions->addWidget(new QWidget);
                            actions->setPalette(palette);
                            actions->resize(400, 60);
                            actions->layout()->activate();
                            return actions;
                        },
                        {400, 60},
                        bar});
        // Disabled, the button fades but keeps its tint's hue.
        const QColor purple = colors.purple();
        for (const bool enabled : {true, false}) {
            const auto button = [=] {
                auto made = std::make_unique<ProminentButton>(
                    "Clean", ProminentButton::TintOf([](const Palette& p) { return p.purple(); }));
                made->setPalette(palette);
                made->setEnabled(enabled);
                return made;
            };
            rows.push_back({std::string(enabled ? "" : "disabled ") + "prominent button" + look,
                            button,
                            {},
                            {{{6, button()->sizeHint().height() / 2.0}, [=](const QColor& c) {
                                  return enabled ? c.rgb() == purple.rgb()
                                                 : c.rgb() != purple.rgb() &&
                                                       std::abs(c.hslHue() - purple.hslHue()) <= 15;
                              }}}});
        }
    }
    return rows;
}

class PaintedPixelsTest : public test::GuiTest {
protected:
    PaintedPixelsTest() {
        IconCache::setService([](const std::filesystem::path&) {
            QPixmap pixmap(64, 64);
            pixmap.fill(QColor(0, 0, 255));
            return QIcon(pixmap);
        });
    }
    ~PaintedPixelsTest() override { IconCache::setService({}); }
};

TEST_F(PaintedPixelsTest, EachComponentPaintsItsPartsWhereAndAsTheyBelongAtEitherDensity) {
    for (const Painted& row : paintedRows()) {
        for (const qreal ratio : {1.0, 2.0}) {
            SCOPED_TRACE(testing::Message() << row.name << " at " << ratio << "x");
            const std::unique_ptr<QWidget> widget = row.make();
            const QSize size = row.size.isEmpty() ? widget->sizeHint() : row.size;
            const QImage image = test::renderWidget(*widget, size, ratio);
            for (const Probe& probe : row.probes) {
                if (probe.onlyAtRatio != 0 && probe.onlyAtRatio != ratio) continue;
                const QColor pixel = test::sample(image, probe.at);
                EXPECT_TRUE(probe.holds(pixel)) << "at " << probe.at.x() << "," << probe.at.y() << ": "
                                                << pixel.name(QColor::HexArgb).toStdString();
            }
            for (const Count& count : row.counts) {
                const int found = countPixels(image, count.area, count.holds);
                EXPECT_GT(found, count.moreThan * ratio * ratio)
                    << "in " << count.area.x() << "," << count.area.y();
                if (count.atMost >= 0) {
                    EXPECT_LE(found, count.atMost) << "in " << count.area.x() << "," << count.area.y();
                }
            }
        }
    }
}

} // namespace
} // namespace brisklet::ui
