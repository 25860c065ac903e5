#include "ui/WidgetImage.h"
#include "ui/components/Confirmation.h"
#include "ui/components/ProminentButton.h"
#include "ui/theme/Palette.h"

#include <QPointer>
#include <QTest>

// What pressing the components' buttons does, and how they look when they cannot be pressed.
namespace brisklet::ui {
namespace {

class ButtonsTest : public test::GuiTest {
protected:
    QPointer<QMessageBox> ask() {
        return confirm(&parent,
                       {"Empty the Trash?", "Everything in the Trash is deleted permanently.", "Empty Trash"},
                       [this] { ++confirmed; });
    }
    QWidget parent;
    int confirmed = 0;
};

TEST_F(ButtonsTest, AConfirmationAsksWithADestructiveDefaultAndOnlyGoingAheadActs) {
    QPointer<QMessageBox> box = ask();
    ASSERT_TRUE(box);
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
    goAhead->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(confirmed, 1);
    EXPECT_TRUE(box.isNull()) << "the answered box goes";
}

TEST_F(ButtonsTest, ADisabledProminentButtonIsPaleButKeepsItsTintAndReadableText) {
    ProminentButton button("Clean", [](const Palette& colors) { return colors.purple(); });
    for (const QPalette& palette : {test::lightPalette(), test::darkPalette()}) {
        button.setPalette(palette);
        const Palette colors(palette);
        SCOPED_TRACE(colors.isDark() ? "dark" : "light");
        button.setEnabled(true);
        EXPECT_EQ(button.fillColor(), colors.purple());
        button.setEnabled(false);
        EXPECT_NEAR(button.fillColor().hslHue(), colors.purple().hslHue(), 15);
        // The text stands apart from the fill in lightness, whichever way round.
        EXPECT_GT(std::abs(button.fillColor().lightness() - button.textColor().lightness()), 90);
    }
}

} // namespace
} // namespace brisklet::ui
