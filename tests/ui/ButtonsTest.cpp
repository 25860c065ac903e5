#include "ui/WidgetImage.h"
#include "ui/components/Confirmation.h"
#include "ui/components/ProminentButton.h"
#include "ui/theme/Palette.h"

#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace brisklet::ui {
namespace {

class ConfirmationTest : public test::GuiTest {
protected:
    QPointer<QMessageBox> ask() {
        return confirm(&parent, {"Empty the Trash?", "Everything in the Trash is deleted permanently.", "Empty Trash"},
                       [this] { ++confirmed; });
    }

    QWidget parent;
    int confirmed = 0;
};

TEST_F(ConfirmationTest, AsksWithTheTitleMessageAndADestructiveDefault) {
    const QPointer<QMessageBox> box = ask();
    ASSERT_TRUE(box);
    EXPECT_EQ(parent.findChild<QMessageBox*>("confirmation"), box.data());
    EXPECT_EQ(box->text(), "Empty the Trash?");
    EXPECT_EQ(box->informativeText(), "Everything in the Trash is deleted permanently.");
    QPushButton* goAhead = test::boxButton(*box, "Empty Trash");
    QPushButton* cancel = test::boxButton(*box, "Cancel");
    ASSERT_TRUE(goAhead && cancel);
    EXPECT_EQ(box->buttonRole(goAhead), QMessageBox::DestructiveRole);
    EXPECT_EQ(box->buttonRole(cancel), QMessageBox::RejectRole);
    EXPECT_EQ(box->defaultButton(), goAhead);
    EXPECT_EQ(box->escapeButton(), cancel);
    EXPECT_EQ(confirmed, 0) << "asking must not act";
}

TEST_F(ConfirmationTest, OnlyGoingAheadActsAndEitherWayTheBoxGoes) {
    QPointer<QMessageBox> box = ask();
    test::boxButton(*box, "Cancel")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(confirmed, 0);
    EXPECT_TRUE(box.isNull());

    box = ask();
    QTest::keyClick(box.data(), Qt::Key_Escape);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(confirmed, 0);
    EXPECT_TRUE(box.isNull());

    box = ask();
    test::boxButton(*box, "Empty Trash")->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(confirmed, 1);
    EXPECT_TRUE(box.isNull());
}

class ProminentButtonTest : public test::GuiTest {};

TEST_F(ProminentButtonTest, FilledWithItsTintAndPaleButReadableWhenDisabled) {
    ProminentButton button("Clean", [](const Palette& colors) { return colors.purple(); });
    for (const QPalette& palette : {test::lightPalette(), test::darkPalette()}) {
        button.setPalette(palette);
        const Palette colors(palette);
        SCOPED_TRACE(colors.isDark() ? "dark" : "light");
        button.setEnabled(true);
        EXPECT_EQ(button.fillColor(), colors.purple());
        const QImage image = test::renderWidget(button, button.sizeHint(), 2);
        EXPECT_EQ(test::sample(image, {6, button.sizeHint().height() / 2.0}).rgb(), colors.purple().rgb());

        button.setEnabled(false);
        const QColor fill = button.fillColor();
        const QColor text = button.textColor();
        EXPECT_NEAR(fill.hslHue(), colors.purple().hslHue(), 15) << "keeps its tint";
        // The text stands apart from the fill in lightness, whichever way round.
        EXPECT_GT(std::abs(fill.lightness() - text.lightness()), 90);
    }
}

TEST_F(ProminentButtonTest, WidthCoversTheSymbolAndTheWidestLabelItWillShow) {
    ProminentButton button("Clean");
    const int plain = button.sizeHint().width();
    button.setSymbol("arrow.clockwise");
    EXPECT_EQ(button.sizeHint().width(), plain + ProminentButton::symbolSize + ProminentButton::symbolGap);
    button.setSymbol({});
    button.setMinimumTextWidth(200);
    EXPECT_EQ(button.sizeHint().width(), 200 + 2 * ProminentButton::horizontalPadding);
}

} // namespace
} // namespace brisklet::ui
