#include "ui/components/Sparkline.h"
#include "ui/WidgetImage.h"

#include <vector>

using brisklet::test::renderWidget;
using brisklet::test::sample;
using brisklet::ui::Sparkline;

namespace {

TEST(SparklinePoints, NewestSitsAtTheRightEdgeAndTheLineGrowsLeftwards) {
    struct Case {
        QList<double> values;
        int capacity;
        QList<QPointF> points; // for a 100 × 10 area
    };
    const std::vector<Case> cases = {
        {{}, 5, {}},
        {{0.5}, 5, {}},                    // one sample is no line
        {{0, 1}, 5, {{75, 10}, {100, 0}}}, // a quarter of the width per step
        {{0.2, 0.4, 0.6, 0.8, 1}, 5, {{0, 8}, {25, 6}, {50, 4}, {75, 2}, {100, 0}}}, // full: spans the width
        {{0, 0.5, 1}, 2, {{-100, 10}, {0, 5}, {100, 0}}}, // more samples than capacity run off the left
        {{0, 1}, 1, {}},                                  // no step without two samples' worth of width
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.values.size() << " values, capacity " << c.capacity);
        const QList<QPointF> points = Sparkline::points(c.values, c.capacity, QSizeF(100, 10));
        ASSERT_EQ(points.size(), c.points.size());
        for (qsizetype i = 0; i < points.size(); ++i) {
            EXPECT_NEAR(points[i].x(), c.points[i].x(), 1e-9) << "point " << i;
            EXPECT_NEAR(points[i].y(), c.points[i].y(), 1e-9) << "point " << i;
        }
    }
}

class SparklineTest : public brisklet::test::GuiTest {
protected:
    void SetUp() override {
        line.setColor(QColor(0, 0, 255));
        line.setCapacity(60);
    }

    static bool isTransparentColumn(const QImage& image, int x) {
        for (int y = 0; y < image.height(); ++y)
            if (image.pixelColor(x, y).alpha() != 0) return false;
        return true;
    }
    static bool hasLinePixel(const QImage& image, int x) {
        for (int y = 0; y < image.height(); ++y) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() > 200 && pixel.blue() > 200) return true;
        }
        return false;
    }
    Sparkline line;
};

// 30 samples of 60 start at x = 120 − 29 × 120 ⁄ 59 ≈ 61, drawn for the image's own pixels.
TEST_F(SparklineTest, HalfTheCapacityCoversTheRightHalf) {
    line.setValues(QList<double>(30, 0.5));
    const QImage image = renderWidget(line, {120, 40}, 2);
    for (int x = 0; x < image.width(); ++x) {
        if (x < 59 * 2) {
            ASSERT_TRUE(isTransparentColumn(image, x)) << "column " << x;
        } else if (x >= 62 * 2) {
            ASSERT_TRUE(hasLinePixel(image, x)) << "column " << x;
        }
    }
}

TEST_F(SparklineTest, AreaUnderTheLineFadesTowardsTheBottom) {
    line.setValues(QList<double>(60, 0.75)); // the line at y = 10 of 40
    const QImage image = renderWidget(line, {120, 40}, 1);
    EXPECT_EQ(sample(image, {60, 4}).alpha(), 0) << "painted above the line";
    const int high = sample(image, {60, 14}).alpha();
    const int low = sample(image, {60, 36}).alpha();
    EXPECT_LE(high, 0.28 * 255 + 1);
    EXPECT_GT(high, low);
    EXPECT_GT(low, 0);
    EXPECT_GT(sample(image, {60, 14}).blue(), 200);

    // Reusing the paths after a resize would leave the line where the old size had it.
    const QImage wider = renderWidget(line, {240, 40}, 1);
    EXPECT_TRUE(hasLinePixel(wider, 2));
    EXPECT_TRUE(hasLinePixel(wider, 237));
}

} // namespace
