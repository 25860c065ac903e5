#include "ui/WidgetImage.h"
#include "ui/components/Confirmation.h"

#include <QPointer>
#include <QTest>

// What answering a confirmation does.
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

} // namespace
} // namespace brisklet::ui
