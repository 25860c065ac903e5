#include "ui/components/CheckBox.h"
#include "ui/WidgetImage.h"

#include <QAccessible>
#include <QTest>

using brisklet::CheckState;
using brisklet::ui::CheckBox;

namespace {

class CheckBoxTest : public brisklet::test::GuiTest {};

TEST_F(CheckBoxTest, ReadsAsACheckBoxWithItsStateToAccessibility) {
    CheckBox box(CheckState::off, {});
    for (const CheckState state : {CheckState::on, CheckState::mixed, CheckState::off}) {
        SCOPED_TRACE(static_cast<int>(state));
        box.setState(state);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&box);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), QAccessible::CheckBox);
        EXPECT_EQ(accessible->text(QAccessible::Name),
                  state == CheckState::off ? "Not selected" : "Selected");
        EXPECT_EQ(static_cast<bool>(accessible->state().checked), state == CheckState::on);
        EXPECT_EQ(static_cast<bool>(accessible->state().checkStateMixed), state == CheckState::mixed);
    }
}

// The page decides what the new state is; the box only reports the press.
TEST_F(CheckBoxTest, SpaceAndClickCallTheActionWithoutChangingTheStateUnlessDisabled) {
    int calls = 0;
    CheckBox box(CheckState::mixed, [&calls] { ++calls; });
    box.resize(box.sizeHint());
    EXPECT_EQ(box.focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    QTest::keyClick(&box, Qt::Key_Space);
    QTest::mouseClick(&box, Qt::LeftButton, {}, box.rect().center());
    QTest::keyClick(&box, Qt::Key_A);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(box.state(), CheckState::mixed);
    box.setEnabled(false);
    QTest::keyClick(&box, Qt::Key_Space);
    QTest::mouseClick(&box, Qt::LeftButton, {}, box.rect().center());
    EXPECT_EQ(calls, 2);
}

} // namespace
