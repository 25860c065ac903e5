#include "ui/components/CheckBox.h"
#include "ui/WidgetImage.h"

#include <QAccessible>
#include <QTest>
#include <QVariantAnimation>

using brisklet::CheckState;
using brisklet::test::renderWidget;
using brisklet::ui::CheckBox;

namespace {

class CheckBoxTest : public brisklet::test::GuiTest {};

TEST_F(CheckBoxTest, EachStateDrawsItsOwnSymbol) {
    // Filled discs cover far more of the square than the bare circle, and the check and the bar cut
    // different shapes out of the disc.
    QImage images[3];
    const CheckState states[] = {CheckState::on, CheckState::off, CheckState::mixed};
    for (int i = 0; i < 3; ++i) {
        CheckBox box(states[i], {});
        images[i] = renderWidget(box, box.sizeHint(), 2);
    }
    EXPECT_NE(images[0], images[1]);
    EXPECT_NE(images[0], images[2]);
    EXPECT_NE(images[1], images[2]);

    // A state change fades from the old symbol and ends on the new one alone.
    CheckBox box(CheckState::off, {});
    box.setState(CheckState::on);
    QVariantAnimation* fade = box.fadeAnimation();
    ASSERT_EQ(fade->state(), QAbstractAnimation::Running);
    EXPECT_EQ(renderWidget(box, box.sizeHint(), 2), images[1]);
    fade->setCurrentTime(fade->duration());
    EXPECT_EQ(renderWidget(box, box.sizeHint(), 2), images[0]);
}

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
