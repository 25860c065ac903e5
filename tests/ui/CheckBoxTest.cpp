#include "ui/WidgetImage.h"
#include "ui/components/CheckBox.h"

#include <QAccessible>
#include <QTest>
#include <QVariantAnimation>

#include <gtest/gtest.h>

using brisklet::CheckState;
using brisklet::test::renderWidget;
using brisklet::ui::CheckBox;

namespace {

class CheckBoxTest : public brisklet::test::GuiTest {};

// The most opaque pixel of the image: on a thin outline or a filled disc alike it lies on the symbol.
QColor strongestPixel(const QImage& image) {
    QColor best(0, 0, 0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() > best.alpha()) best = pixel;
        }
    return best;
}

TEST_F(CheckBoxTest, TintsTheSymbolOfEachStateAtEveryRatio) {
    struct Case {
        CheckState state;
        QColor color;
        int minAlpha;
        int maxAlpha;
    };
    // The probe palette's text is pure red, so the off state's tertiary tint is a faint red (26 %);
    // a thin stroke may not cover any pixel fully, hence the ranges below the full opacities.
    const Case cases[] = {
        {CheckState::on, QColor(41, 120, 255), 150, 255},
        {CheckState::mixed, QColor(41, 120, 255), 150, 255},
        {CheckState::off, QColor(255, 0, 0), 30, 70},
    };
    for (const Case& c : cases)
        for (const qreal ratio : {1.0, 2.0}) {
            SCOPED_TRACE(testing::Message() << "state " << static_cast<int>(c.state) << " ratio " << ratio);
            CheckBox box(c.state, {});
            box.setPalette(brisklet::test::probePalette());
            const QImage image = renderWidget(box, box.sizeHint(), ratio);
            const QColor pixel = strongestPixel(image);
            EXPECT_GE(pixel.alpha(), c.minAlpha);
            EXPECT_LE(pixel.alpha(), c.maxAlpha);
            EXPECT_NEAR(pixel.red(), c.color.red(), 4);
            EXPECT_NEAR(pixel.green(), c.color.green(), 4);
            EXPECT_NEAR(pixel.blue(), c.color.blue(), 4);
        }
}

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
    struct Case {
        CheckState state;
        const char* name;
        bool checked;
        bool mixed;
    };
    const Case cases[] = {
        {CheckState::on, "Selected", true, false},
        {CheckState::mixed, "Selected", false, true},
        {CheckState::off, "Not selected", false, false},
    };
    CheckBox box(CheckState::off, {});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        box.setState(c.state);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&box);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), QAccessible::CheckBox);
        EXPECT_EQ(accessible->text(QAccessible::Name), QString::fromUtf8(c.name));
        EXPECT_EQ(static_cast<bool>(accessible->state().checked), c.checked);
        EXPECT_EQ(static_cast<bool>(accessible->state().checkStateMixed), c.mixed);
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
