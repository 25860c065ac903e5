#include "ui/WidgetImage.h"
#include "ui/components/Card.h"
#include "ui/components/Tag.h"

#include <QLayout>
#include <QPointer>

#include <gtest/gtest.h>

using brisklet::test::renderWidget;
using brisklet::test::sample;
using brisklet::ui::Card;
using brisklet::ui::Tag;

namespace {

class CardTagTest : public brisklet::test::GuiTest {
protected:
};

TEST_F(CardTagTest, CardFillsARoundedRectangleOutlinedFaintly) {
    Card card;
    card.setPalette(brisklet::test::probePalette());
    for (const qreal ratio : {1.0, 2.0}) {
        SCOPED_TRACE(testing::Message() << "ratio " << ratio);
        const QImage image = renderWidget(card, {200, 100}, ratio);
        EXPECT_EQ(sample(image, {100, 50}), QColor(0, 200, 0)) << "not the control background";
        // Radius 16: the very corner lies outside, and a point well along the edge inside.
        EXPECT_EQ(sample(image, {0.5, 0.5}).alpha(), 0);
        EXPECT_EQ(sample(image, {2, 2}).alpha(), 0);
        // The outline is the primary colour (red) faintly over the edge of the fill; at twice the
        // pixels its outer half has the edge's top row to itself.
        const QColor edge = sample(image, {100, 0});
        EXPECT_GT(edge.red(), 0);
        EXPECT_NE(edge, QColor(0, 200, 0));
        if (ratio == 2) {
            EXPECT_NEAR(edge.alpha(), 0.07 * 255, 3);
        }
        EXPECT_EQ(sample(image, {100, 10}), QColor(0, 200, 0));
    }
}

TEST_F(CardTagTest, CardInsetsItsContentByThePaddingAcrossTheWidth) {
    Card card(nullptr, 12);
    auto* content = new QWidget;
    card.setContent(content);
    card.resize(300, 120);
    card.layout()->activate();
    EXPECT_EQ(content->geometry().left(), 12);
    EXPECT_EQ(content->geometry().top(), 12);
    EXPECT_EQ(content->geometry().width(), 300 - 24);

    card.setPadding(20);
    card.layout()->activate();
    EXPECT_EQ(content->geometry().left(), 20);
    EXPECT_EQ(content->geometry().width(), 300 - 40);

    // A new content replaces the old one, which goes with it.
    QPointer<QWidget> old = content;
    card.setContent(new QWidget);
    EXPECT_TRUE(old.isNull());
}

TEST_F(CardTagTest, TagPaintsItsTextOnAFaintCapsuleOfItsColour) {
    Tag tag("cache", QColor(0, 0, 255));
    const QSize hint = tag.sizeHint();
    EXPECT_GT(hint.width(), hint.height());
    for (const qreal ratio : {1.0, 2.0}) {
        SCOPED_TRACE(testing::Message() << "ratio " << ratio);
        const QImage image = renderWidget(tag, hint, ratio);
        // Inside the side inset, the capsule alone: the colour at 15 % opacity.
        const QColor fill = sample(image, {hint.width() / 2.0, 1.0});
        EXPECT_NEAR(fill.alpha(), 0.15 * 255, 3);
        EXPECT_GT(fill.blue(), 240);
        // The round ends leave the corners bare.
        EXPECT_EQ(sample(image, {0, 0}).alpha(), 0);
        EXPECT_EQ(sample(image, {hint.width() - 0.5, hint.height() - 0.5}).alpha(), 0);
        int textPixels = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).alpha() > 200) ++textPixels;
        EXPECT_GT(textPixels, 10) << "no text in the tag's colour";
    }

    tag.setText("a much longer kind of tag");
    EXPECT_GT(tag.sizeHint().width(), hint.width());
    EXPECT_EQ(tag.sizeHint().height(), hint.height());
}

} // namespace
