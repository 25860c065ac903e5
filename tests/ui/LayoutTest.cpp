#include "ui/WidgetImage.h"
#include "ui/components/ActionBar.h"
#include "ui/components/Card.h"
#include "ui/components/FittingLabel.h"
#include "ui/components/NoticeView.h"
#include "ui/components/PageHeader.h"
#include "ui/components/ProminentButton.h"
#include "ui/components/Tag.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QToolButton>
#include <QVBoxLayout>

// Where the components put their parts, and what they ask of the layouts they sit in.
namespace brisklet::ui {
namespace {

class LayoutTest : public test::GuiTest {
protected:
    static void layOut(QWidget& widget, QSize size) {
        widget.resize(size);
        widget.layout()->activate();
    }
    static QLabel* labelWithText(const QWidget& widget, const QString& text) {
        for (QLabel* label : widget.findChildren<QLabel*>())
            if (label->text() == text) return label;
        return nullptr;
    }
};

TEST_F(LayoutTest, CardInsetsItsContentByThePaddingAndReplacesIt) {
    Card card(nullptr, 12);
    auto* content = new QWidget;
    card.setContent(content);
    layOut(card, {300, 120});
    EXPECT_EQ(content->geometry(), QRect(12, 12, 300 - 24, 120 - 24));
    card.setPadding(20);
    card.layout()->activate();
    EXPECT_EQ(content->geometry().left(), 20);
    EXPECT_EQ(content->geometry().width(), 300 - 40);
    QPointer<QWidget> old = content;
    card.setContent(new QWidget);
    EXPECT_TRUE(old.isNull()) << "a new content replaces the old one, which goes with it";

    Tag tag("cache", Qt::blue);
    const QSize hint = tag.sizeHint();
    EXPECT_GT(hint.width(), hint.height());
    tag.setText("a much longer kind of tag");
    EXPECT_GT(tag.sizeHint().width(), hint.width());
    EXPECT_EQ(tag.sizeHint().height(), hint.height());
}

TEST_F(LayoutTest, HeaderPlacesTextAfterTheSquareAndTheAccessoryAtTheRight) {
    PageHeader header("Large files", "The biggest files in your home", "doc.text.fill", Qt::blue);
    auto* accessory = new QWidget;
    accessory->setFixedSize(80, 24);
    header.setAccessory(accessory);
    layOut(header, {600, 100});
    const QRect badge = header.badgeGeometry();
    EXPECT_EQ(badge.size(), QSize(44, 44));
    EXPECT_EQ(badge.left(), 24);
    EXPECT_GE(badge.top(), 20);
    EXPECT_GE(header.height() - badge.bottom() - 1, 14);
    EXPECT_EQ(accessory->geometry().right(), 600 - 24 - 1);
    const QLabel* title = labelWithText(header, "Large files");
    const QLabel* subtitle = labelWithText(header, "The biggest files in your home");
    ASSERT_TRUE(title && subtitle) << "title and subtitle must be readable text, not paint";
    EXPECT_EQ(title->geometry().left(), 24 + 44 + 14);
    EXPECT_EQ(subtitle->geometry().left(), title->geometry().left());
    EXPECT_GE(subtitle->geometry().top(), title->geometry().bottom());
    EXPECT_GT(title->font().pointSizeF(), subtitle->font().pointSizeF());
    EXPECT_GE(title->font().weight(), QFont::DemiBold);
    // A new accessory replaces the old one, which goes with it; none leaves the row empty.
    QPointer<QWidget> old = accessory;
    header.setAccessory(new QWidget);
    EXPECT_TRUE(old.isNull());
    header.setAccessory(nullptr);
    EXPECT_EQ(header.accessory(), nullptr);
    header.setTitle("Junk");
    EXPECT_EQ(title->text(), "Junk");
}

TEST_F(LayoutTest, NoticeLaysTheTextOutBetweenSignAndButtonAndTakesOnlyTheHeightItNeeds) {
    NoticeView view("Access to the folder was denied", true, [] {});
    layOut(view, {400, 60});
    EXPECT_EQ(view.symbolGeometry().topLeft(), QPoint(14, 10));
    const auto labels = view.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.first()->text(), "Access to the folder was denied");
    EXPECT_TRUE(labels.first()->wordWrap());
    EXPECT_EQ(labels.first()->geometry().left(), 14 + NoticeView::symbolSize + 10);
    QToolButton* button = view.dismissButton();
    EXPECT_EQ(button->geometry().right(), 400 - 14 - 1);
    EXPECT_EQ(button->geometry().top(), 10) << "the row is top-aligned";
    EXPECT_EQ(button->accessibleName(), "Dismiss");
    EXPECT_FALSE(button->icon().isNull());

    QWidget page;
    auto* column = new QVBoxLayout(&page);
    auto* notice = new NoticeView("Couldn't free memory. Not authorized", true, {}, &page);
    column->addWidget(notice);
    page.resize(900, 600);
    page.show();
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(notice->height(), notice->heightForWidth(notice->width()));
    EXPECT_LT(notice->height(), 80);
}

TEST_F(LayoutTest, ActionBarLaysItsRowOutInsetAndSpaced) {
    ActionBar bar;
    auto* first = new QWidget;
    auto* second = new QWidget;
    auto* last = new QWidget;
    for (QWidget* widget : {first, second, last})
        widget->setFixedSize(60, 28);
    bar.addWidget(first);
    bar.addWidget(second);
    bar.addStretch();
    bar.addWidget(last);
    layOut(bar, {500, bar.sizeHint().height()});
    EXPECT_EQ(bar.height(), 12 + 28 + 12);
    EXPECT_EQ(first->geometry().topLeft(), QPoint(24, 12));
    EXPECT_EQ(second->geometry().left(), first->geometry().right() + 1 + 12);
    EXPECT_EQ(last->geometry().right(), 500 - 24 - 1);
    EXPECT_EQ(bar.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
}

TEST_F(LayoutTest, ProminentButtonCoversTheSymbolAndTheWidestLabelItWillShow) {
    ProminentButton button("Clean");
    const int plain = button.sizeHint().width();
    button.setSymbol("arrow.clockwise");
    EXPECT_EQ(button.sizeHint().width(), plain + ProminentButton::symbolSize + ProminentButton::symbolGap);
    button.setSymbol({});
    button.setMinimumTextWidth(200);
    EXPECT_EQ(button.sizeHint().width(), 200 + 2 * ProminentButton::horizontalPadding);
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
