#include "ui/WidgetImage.h"
#include "ui/components/FittingLabel.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

namespace brisklet::ui {
namespace {

class FittingLabelTest : public test::GuiTest {
protected:
    // Paints the label at `width` and returns the scale it settled on.
    qreal fitAt(int width) {
        label.setText("9.92 GB of 16 GB");
        test::renderWidget(label, {width, label.sizeHint().height()}, 1);
        return label.scale();
    }

    FittingLabel label;
};

TEST_F(FittingLabelTest, ShrinksTheTextOnlyAsFarAsTheColumnNeedsAndNeverWidensIt) {
    const qreal natural = QFontMetricsF(label.font()).horizontalAdvance("9.92 GB of 16 GB");
    EXPECT_EQ(label.minimumSizeHint().width(), 0) << "the column decides the width";
    EXPECT_EQ(fitAt(int(natural) + 4), 1.0);

    const qreal tight = fitAt(int(natural * 0.9));
    EXPECT_LT(tight, 1.0);
    EXPECT_GE(tight, FittingLabel::smallestScale);
    QFont shrunk = label.font();
    shrunk.setPointSizeF(shrunk.pointSizeF() * tight);
    EXPECT_LE(QFontMetricsF(shrunk).horizontalAdvance("9.92 GB of 16 GB"), natural * 0.9);

    // Far too narrow: it stops at the floor (and elides) rather than turning unreadable.
    EXPECT_EQ(fitAt(int(natural * 0.4)), FittingLabel::smallestScale);
}

TEST_F(FittingLabelTest, TextThatCannotFitEvenSmallerIsToldSoAndMayTakeTwoLines) {
    const QFont font = label.font();
    const qreal natural = QFontMetricsF(font).horizontalAdvance("1.36 GB of 23.51 GB");
    EXPECT_TRUE(FittingLabel::fits("1.36 GB of 23.51 GB", font, natural * FittingLabel::smallestScale + 1));
    EXPECT_FALSE(FittingLabel::fits("1.36 GB of 23.51 GB", font, natural * 0.6));
    // Each line is judged on its own.
    EXPECT_TRUE(FittingLabel::fits("1.36 GB\nof 23.51 GB", font, natural * 0.6));

    label.setText("1.36 GB");
    const int oneLine = label.minimumSizeHint().height();
    label.setText("1.36 GB\nof 23.51 GB");
    EXPECT_GE(label.minimumSizeHint().height(), 2 * oneLine - 2);
}

} // namespace
} // namespace brisklet::ui
