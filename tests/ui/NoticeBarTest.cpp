#include "ui/WidgetImage.h"
#include "ui/components/ActionBar.h"
#include "ui/components/NoticeView.h"
#include "ui/theme/Palette.h"

#include <QLabel>
#include <QLayout>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cstdlib>

using brisklet::test::darkPalette;
using brisklet::test::lightPalette;
using brisklet::test::renderWidget;
using brisklet::test::sample;
using brisklet::test::countPixels;
using brisklet::ui::ActionBar;
using brisklet::ui::NoticeView;
using brisklet::ui::Palette;

namespace {

bool near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

// `top` over `bottom`, as source-over compositing leaves it.
QColor over(const QColor& top, const QColor& bottom) {
    const double a = top.alphaF() + bottom.alphaF() * (1 - top.alphaF());
    const auto channel = [&](double t, double b) {
        return (t * top.alphaF() + b * bottom.alphaF() * (1 - top.alphaF())) / a;
    };
    return QColor::fromRgbF(static_cast<float>(channel(top.redF(), bottom.redF())),
                            static_cast<float>(channel(top.greenF(), bottom.greenF())),
                            static_cast<float>(channel(top.blueF(), bottom.blueF())), static_cast<float>(a));
}

QImage layOutAndRender(QWidget& widget, QSize size, qreal ratio) {
    widget.resize(size);
    widget.layout()->activate();
    return renderWidget(widget, size, ratio);
}

class NoticeBarTest : public brisklet::test::GuiTest {};

TEST_F(NoticeBarTest, NoticeTintsItsFillAndSignByOutcome) {
    struct Case {
        bool isError;
        QColor (Palette::*accent)() const;
        QColor (Palette::*other)() const;
    };
    const Case cases[] = {{true, &Palette::orange, &Palette::green},
                          {false, &Palette::green, &Palette::orange}};
    for (const QPalette& palette : {lightPalette(), darkPalette()}) {
        const Palette colors(palette);
        for (const Case& outcome : cases) {
            SCOPED_TRACE(testing::Message() << (outcome.isError ? "error" : "success")
                                            << (colors.isDark() ? " dark" : " light"));
            // Built as the other outcome and switched, so that the switch is what gets tested.
            NoticeView view("Removed 12 items", !outcome.isError, [] {});
            view.setPalette(palette);
            view.setNotice("Could not remove 3 items", outcome.isError);
            const QColor accent = (colors.*outcome.accent)();
            const QColor other = (colors.*outcome.other)();
            EXPECT_EQ(view.accent(), accent);
            for (const qreal ratio : {1.0, 2.0}) {
                SCOPED_TRACE(testing::Message() << "ratio " << ratio);
                const QImage image = layOutAndRender(view, {400, 60}, ratio);
                QColor fill = accent;
                fill.setAlphaF(0.13f);
                EXPECT_TRUE(near(sample(image, {6, 30}), fill, 6))
                    << sample(image, {6, 30}).name().toStdString();
                // Radius 10: the corner stays clear.
                EXPECT_EQ(sample(image, {0.5, 0.5}).alpha(), 0);
                const QRect sign = view.symbolGeometry();
                EXPECT_EQ(sign.left(), 14);
                EXPECT_EQ(sign.top(), 10);
                const auto opaqueIn = [](QColor color) {
                    return [color](const QColor& c) { return c.alpha() == 255 && near(c, color, 8); };
                };
                EXPECT_GT(countPixels(image, sign, opaqueIn(accent)), 20 * ratio * ratio);
                EXPECT_EQ(countPixels(image, sign, opaqueIn(other)), 0);
            }
        }
    }
}

TEST_F(NoticeBarTest, NoticeLaysTheTextOutBetweenSignAndButton) {
    NoticeView view("Access to the folder was denied", true, [] {});
    view.resize(400, 60);
    view.layout()->activate();
    const auto labels = view.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    const QLabel* text = labels.first();
    EXPECT_EQ(text->text(), "Access to the folder was denied");
    EXPECT_TRUE(text->wordWrap());
    EXPECT_EQ(text->geometry().left(), 14 + NoticeView::symbolSize + 10);
    QToolButton* button = view.dismissButton();
    EXPECT_EQ(button->geometry().right(), 400 - 14 - 1);
    EXPECT_EQ(button->geometry().top(), 10) << "the row is top-aligned";
    EXPECT_EQ(button->accessibleName(), "Dismiss");
    EXPECT_FALSE(button->icon().isNull());
}

TEST_F(NoticeBarTest, NoticeInAColumnTakesOnlyTheHeightItsWrappedTextNeeds) {
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

TEST_F(NoticeBarTest, DismissButtonCallsTheClosureOncePerClick) {
    int calls = 0;
    NoticeView view("Removed 12 items", false, [&calls] { ++calls; });
    view.resize(400, 60);
    view.layout()->activate();
    QTest::mouseClick(view.dismissButton(), Qt::LeftButton);
    EXPECT_EQ(calls, 1);
    view.dismissButton()->click();
    EXPECT_EQ(calls, 2);
    // Without a closure the button does nothing rather than crash.
    view.setDismiss({});
    view.dismissButton()->click();
    EXPECT_EQ(calls, 2);
}

TEST_F(NoticeBarTest, ActionBarFillsWithTheBarMaterialUnderAHairline) {
    for (const QPalette& palette : {lightPalette(), darkPalette()}) {
        const Palette colors(palette);
        SCOPED_TRACE(colors.isDark() ? "dark" : "light");
        ActionBar bar;
        bar.addWidget(new QWidget);
        // Set after construction, so the colours must follow the change.
        bar.setPalette(palette);
        for (const qreal ratio : {1.0, 2.0}) {
            SCOPED_TRACE(testing::Message() << "ratio " << ratio);
            const QImage image = layOutAndRender(bar, {400, 60}, ratio);
            const QColor fill = colors.barMaterial();
            const QColor divider = over(colors.primary(0.1), fill);
            for (const qreal x : {0.0, 200.0, 399.0}) {
                EXPECT_TRUE(near(sample(image, {x, 0}), divider, 2))
                    << sample(image, {x, 0}).name().toStdString();
                EXPECT_TRUE(near(sample(image, {x, 0.5}), divider, 2))
                    << "the hairline is one point at any ratio";
                EXPECT_TRUE(near(sample(image, {x, 1}), fill, 2))
                    << sample(image, {x, 1}).name().toStdString();
                EXPECT_TRUE(near(sample(image, {x, 59}), fill, 2));
            }
        }
    }
}

TEST_F(NoticeBarTest, ActionBarLaysItsRowOutInsetAndSpaced) {
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
    bar.resize(500, bar.sizeHint().height());
    bar.layout()->activate();
    EXPECT_EQ(bar.height(), 12 + 28 + 12);
    EXPECT_EQ(first->geometry().topLeft(), QPoint(24, 12));
    EXPECT_EQ(second->geometry().left(), first->geometry().right() + 1 + 12);
    EXPECT_EQ(last->geometry().right(), 500 - 24 - 1);
    EXPECT_EQ(bar.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
}

} // namespace
