#include "ui/WidgetImage.h"
#include "ui/components/FittingLabel.h"
#include "ui/components/NoticeView.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QLayout>
#include <QToolButton>
#include <QVBoxLayout>

// Where the components put their parts, and what they ask of the layouts they sit in.
namespace brisklet::ui {
namespace {

class LayoutTest : public test::GuiTest {};

// The text wraps between the sign and the button, and the notice takes only the height it needs.
TEST_F(LayoutTest, NoticeWrapsItsTextAndTakesOnlyTheHeightItNeeds) {
    QWidget page;
    auto* column = new QVBoxLayout(&page);
    auto* notice = new NoticeView("Couldn't free memory. Not authorized", true, {}, &page);
    column->addWidget(notice);
    page.resize(900, 600);
    page.show();
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    const QLabel* label = notice->findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->wordWrap());
    EXPECT_GT(label->geometry().left(), notice->symbolGeometry().right());
    EXPECT_LT(label->geometry().right(), notice->dismissButton()->geometry().left());
    EXPECT_EQ(notice->height(), notice->heightForWidth(notice->width()));
    EXPECT_LT(notice->height(), 80);
    notice->dismissButton()->click(); // a notice with no closure ignores the click
}

// A fitting label shrinks its text only as far as the column needs, down to a floor, and never
// widens the column; a text that cannot fit even so is told so, each line judged on its own.
TEST_F(LayoutTest, FittingLabelShrinksOnlyAsFarAsTheColumnNeeds) {
    FittingLabel label;
    label.setText("9.92 GB of 16 GB");
    const auto fitAt = [&](int width) {
        test::renderWidget(label, {width, label.sizeHint().height()}, 1);
        return label.scale();
    };
    const qreal natural = QFontMetricsF(label.font()).horizontalAdvance("9.92 GB of 16 GB");
    EXPECT_EQ(label.minimumSizeHint().width(), 0) << "the column decides the width";
    EXPECT_EQ(fitAt(int(natural) + 4), 1.0);
    const qreal tight = fitAt(int(natural * 0.9));
    EXPECT_LT(tight, 1.0);
    EXPECT_GE(tight, FittingLabel::smallestScale);
    QFont shrunk = label.font();
    shrunk.setPointSizeF(shrunk.pointSizeF() * tight);
    EXPECT_LE(QFontMetricsF(shrunk).horizontalAdvance("9.92 GB of 16 GB"), natural * 0.9);
    EXPECT_EQ(fitAt(int(natural * 0.4)), FittingLabel::smallestScale) << "it stops at the floor and elides";

    const QFont font = label.font();
    const qreal wide = QFontMetricsF(font).horizontalAdvance("1.36 GB of 23.51 GB");
    EXPECT_TRUE(FittingLabel::fits("1.36 GB of 23.51 GB", font, wide * FittingLabel::smallestScale + 1));
    EXPECT_FALSE(FittingLabel::fits("1.36 GB of 23.51 GB", font, wide * 0.6));
    EXPECT_TRUE(FittingLabel::fits("1.36 GB\nof 23.51 GB", font, wide * 0.6));
    label.setText("1.36 GB");
    const int oneLine = label.minimumSizeHint().height();
    label.setText("1.36 GB\nof 23.51 GB");
    EXPECT_GE(label.minimumSizeHint().height(), 2 * oneLine - 2);
}

} // namespace
} // namespace brisklet::ui
