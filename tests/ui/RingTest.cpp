#include "ui/components/Ring.h"
#include "ui/WidgetImage.h"
#include "ui/components/PercentRing.h"

#include <QVariantAnimation>

#include <limits>
#include <numbers>
#include <vector>

using brisklet::test::renderWidget;
using brisklet::test::sample;
using brisklet::ui::PercentRing;
using brisklet::ui::Ring;

namespace {

constexpr QSize ringSize{100, 100};
constexpr qreal ringLine = 10;
constexpr QPointF centre{50, 50};
// The middle of the stroke: the ring is as large as the widget, less half a line on either side.
constexpr qreal strokeRadius = 45;
const QColor arcBlue(0, 0, 255);
const QColor arcGreen(0, 255, 0);

// A point in the middle of the stroke at a position on a clock face, twelve at the top.
QPointF atClock(double hours) {
    const double angle = hours / 12 * 2 * std::numbers::pi;
    return centre + QPointF(strokeRadius * std::sin(angle), -strokeRadius * std::cos(angle));
}

bool isArc(const QColor& pixel) {
    return pixel.alpha() > 200 && pixel.red() < 60;
}
// The track is the primary colour (red in the probe palette) at 8 % opacity, and nothing else.
bool isTrackOnly(const QColor& pixel) {
    return pixel.alpha() > 5 && pixel.alpha() < 40 && pixel.red() > 200 && pixel.blue() < 10;
}

class RingTest : public brisklet::test::GuiTest {
protected:
    void SetUp() override {
        ring.setPalette(brisklet::test::probePalette());
        ring.setLineWidth(ringLine);
        ring.setColors({arcBlue, arcBlue});
    }
    Ring ring;
};

struct Coverage {
    double fraction;
    std::vector<double> arcAt;   // clock positions the arc covers
    std::vector<double> trackAt; // clock positions where only the track shows
};

TEST_F(RingTest, ArcRunsClockwiseFromTwelveOverTheClampedFraction) {
    const std::vector<Coverage> cases = {
        {0, {0}, {1, 3, 6, 9, 11}},    // a sliver still shows
        {-0.2, {0}, {1, 3, 6, 9, 11}}, // as for nothing at all
        {std::numeric_limits<double>::quiet_NaN(), {0}, {3, 6, 9}},
        {0.25, {0, 1.5, 3}, {4.5, 6, 9, 10.5}}, // a quarter, and clockwise
        {0.5, {0, 3, 5.5}, {7.5, 9}},
        {1, {0, 3, 6, 9, 11.5}, {}},
        {1.5, {0, 3, 6, 9, 11.5}, {}}, // never more than once round, and never less
    };
    for (const qreal ratio : {1.0, 2.0}) {
        for (const Coverage& c : cases) {
            SCOPED_TRACE(testing::Message() << "fraction " << c.fraction << " at ratio " << ratio);
            ring.setFraction(c.fraction, Ring::Transition::immediate);
            const QImage image = renderWidget(ring, ringSize, ratio);
            for (double hours : c.arcAt)
                EXPECT_TRUE(isArc(sample(image, atClock(hours)))) << "no arc at " << hours << " o'clock";
            for (double hours : c.trackAt)
                EXPECT_TRUE(isTrackOnly(sample(image, atClock(hours))))
                    << "not bare track at " << hours << " o'clock";
            // Inside the ring nothing is painted.
            EXPECT_EQ(sample(image, centre).alpha(), 0);
        }
    }
}

TEST_F(RingTest, GradientRunsClockwiseAndSpansTheArcButNoLessThanATwentiethOfTheCircle) {
    ring.setColors({arcGreen, arcBlue});
    struct Case {
        double fraction;
        double greenAt; // near the start of the gradient
        double blueAt;  // near its end
    };
    // For small fractions the span stays at a twentieth: the arc shows only the start of the colours.
    const std::vector<Case> cases = {{1, 1, 11}, {0.25, 0.4, 2.6}, {0.5, 0.5, 5.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "fraction " << c.fraction);
        ring.setFraction(c.fraction, Ring::Transition::immediate);
        const QImage image = renderWidget(ring, ringSize, 1);
        const QColor start = sample(image, atClock(c.greenAt));
        const QColor end = sample(image, atClock(c.blueAt));
        EXPECT_GT(start.green(), start.blue() + 100);
        EXPECT_GT(end.blue(), end.green() + 100);
    }
    // The round cap at the start reaches back past twelve, where the gradient's seam is: it keeps
    // the first colour.
    ring.setFraction(0.25, Ring::Transition::immediate);
    const QColor startCap = sample(renderWidget(ring, ringSize, 1), atClock(11.92));
    EXPECT_GT(startCap.green(), startCap.blue() + 100) << "the start cap shows the gradient's end colour";
    ring.setFraction(0.02, Ring::Transition::immediate);
    const QColor sliverEnd = sample(renderWidget(ring, ringSize, 1), atClock(0.02 * 12));
    EXPECT_GT(sliverEnd.green(), 60) << "a short arc must not run through the whole gradient";
}

TEST_F(RingTest, ChangeAnimatesFromTheShownFractionToTheNewOne) {
    ring.setFraction(0, Ring::Transition::immediate);
    ring.setFraction(1);
    EXPECT_EQ(ring.fraction(), 1);
    EXPECT_EQ(ring.shownFraction(), 0);

    ring.fractionAnimation()->setCurrentTime(Ring::animationMilliseconds / 2);
    EXPECT_NEAR(ring.shownFraction(), 0.5, 0.01);
    const QImage halfway = renderWidget(ring, ringSize, 1);
    EXPECT_TRUE(isArc(sample(halfway, atClock(3))));
    EXPECT_TRUE(isTrackOnly(sample(halfway, atClock(9))));

    // A new target mid-way starts from where the arc is, not from the old target.
    ring.setFraction(0.25);
    ring.fractionAnimation()->setCurrentTime(0);
    EXPECT_NEAR(ring.shownFraction(), 0.5, 0.01);
    ring.fractionAnimation()->setCurrentTime(Ring::animationMilliseconds);
    EXPECT_EQ(ring.shownFraction(), 0.25);
}

TEST(PercentRingText, RoundsToWholePercentWithHalvesAwayFromZero) {
    const std::vector<std::pair<double, QString>> cases = {
        {0.125, "13%"},   {0.124, "12%"}, {0, "0%"},      {1, "100%"},
        {-0.125, "-13%"}, {1.5, "150%"},  {0.0049, "0%"}, {std::numeric_limits<double>::quiet_NaN(), "0%"},
    };
    for (const auto& [fraction, text] : cases)
        EXPECT_EQ(PercentRing::percentText(fraction), text) << "fraction " << fraction;
}

class PercentRingTest : public brisklet::test::GuiTest {
protected:
    void SetUp() override {
        ring.setPalette(brisklet::test::probePalette());
        ring.setLineWidth(8);
        ring.setColors({arcBlue, arcBlue});
        ring.setFontSize(24);
    }

    PercentRing ring;
};

// Text in the primary colour (red in the probe palette) at least `alpha` opaque, in the rows from
// `top`, `height` high.
int textPixels(const QImage& image, int top, int height, int alpha) {
    return brisklet::test::countPixels(image, QRect(30, top, 100, height), [=](const QColor& c) {
        return c.red() > 200 && c.blue() < 50 && c.alpha() >= alpha;
    });
}

TEST_F(PercentRingTest, ShowsThePercentageInTheMiddleAndTheCaptionBelowIt) {
    ring.setFraction(0.42, Ring::Transition::immediate);
    EXPECT_EQ(ring.text(), "42%");
    EXPECT_GT(textPixels(renderWidget(ring, {160, 160}, 1), 65, 30, 200), 20) << "no figure in the middle";
    ring.setCaption("used");
    const QImage captioned = renderWidget(ring, {160, 160}, 2);
    // The caption is drawn faded, below the figure, which moves up to make room.
    EXPECT_GT(textPixels(captioned, 90, 20, 40), 5 * 4) << "no caption under the figure";
    EXPECT_EQ(textPixels(captioned, 90, 20, 200), 0) << "the caption is not in the secondary style";
}

} // namespace
