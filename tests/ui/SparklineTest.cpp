#include "ui/components/Sparkline.h"

#include <gtest/gtest.h>

#include <vector>

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

} // namespace
