#include "ui/PageFixture.h"
#include "ui/components/NoticeView.h"
#include "ui/components/ProminentButton.h"
#include "ui/components/Spinner.h"
#include "ui/components/TileButton.h"
#include "ui/pages/MemoryView.h"
#include "ui/pages/OverviewView.h"
#include "ui/pages/QuickTile.h"
#include "ui/theme/Palette.h"
#include "ui/tray/TrayPanel.h"

#include <QLabel>
#include <QToolButton>

#include <functional>

namespace brisklet {
namespace {

// Memory is freed from the Overview's tile, the Memory page's button and the tray panel's. Whichever
// is pressed, all three wait out the one purge and come back after it; the purge here fails.
class PurgeButtonsTest : public test::PageFixture {};

TEST_F(PurgeButtonsTest, EachStartsThePurgeAndAllThreeWaitItOut) {
    ui::OverviewView overview(context(true));
    ui::MemoryView page(context());
    ui::TrayPanel panel(model(), *memory, [] {});
    overview.show();
    page.show();
    EXPECT_TRUE(panel.appsBox()->findChildren<QToolButton*>().isEmpty());
    for (QLabel* label : panel.findChildren<QLabel*>())
        EXPECT_NE(label->text(), "Using the most memory") << "no apps, no heading";
    struct Place {
        QWidget* control;
        std::function<void()> press;
        std::function<QString()> label;
    };
    const Place places[] = {
        {overview.freeUpTile(), [&] { overview.freeUpTile()->button()->click(); },
         [&] { return overview.freeUpTile()->subtitle(); }},
        {page.freeUpButton(), [&] { page.freeUpButton()->click(); },
         [&] { return page.freeUpButton()->text(); }},
        {panel.freeUpButton(), [&] { panel.freeUpButton()->click(); },
         [&] { return panel.freeUpButton()->text(); }},
    };
    QStringList idle;
    for (const Place& place : places)
        idle << place.label();
    EXPECT_TRUE(panel.noticeLabel()->isHidden());
    for (const Place& pressed : places) {
        SCOPED_TRACE(idle[static_cast<int>(&pressed - places)].toStdString());
        purgeGate.hold();
        pressed.press();
        ASSERT_TRUE(memory->isPurging());
        for (int i = 0; i < 3; ++i) {
            EXPECT_FALSE(places[i].control->isEnabled()) << i;
            EXPECT_NE(places[i].label(), idle[i]) << i;
        }
        EXPECT_TRUE(page.purgeSpinner()->isVisible());
        purgeGate.release();
        ASSERT_TRUE(
            test::waitFor(*memory, &MemoryModel::isPurgingChanged, [&] { return !memory->isPurging(); }));
        for (int i = 0; i < 3; ++i) {
            EXPECT_TRUE(places[i].control->isEnabled()) << i;
            EXPECT_EQ(places[i].label(), idle[i]) << i;
        }
        EXPECT_FALSE(page.purgeSpinner()->isVisible());
    }

    // The failure is an error notice on the page and orange text, not green, in the panel.
    ASSERT_TRUE(page.notice()->isVisible());
    EXPECT_TRUE(page.notice()->isError());
    QLabel& notice = *panel.noticeLabel();
    EXPECT_FALSE(notice.isHidden());
    EXPECT_TRUE(notice.text().startsWith("Couldn't free memory. "));
    EXPECT_EQ(notice.palette().color(QPalette::WindowText), ui::Palette(panel.palette()).orange());
    page.notice()->dismissButton()->click();
    EXPECT_FALSE(memory->notice());
    EXPECT_TRUE(page.notice()->isHidden());
}

} // namespace
} // namespace brisklet
