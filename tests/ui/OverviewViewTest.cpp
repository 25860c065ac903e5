#include "ui/pages/OverviewView.h"

#include "ui/PageFixture.h"
#include "ui/components/NoticeView.h"
#include "ui/components/PercentRing.h"
#include "ui/components/Spinner.h"
#include "ui/components/TileButton.h"
#include "ui/components/ToneLabel.h"
#include "ui/pages/JunkBreakdownBar.h"
#include "ui/pages/OverviewFigure.h"
#include "ui/pages/OverviewFigureCard.h"
#include "ui/pages/OverviewJunkCard.h"
#include "ui/pages/OverviewLegend.h"
#include "ui/pages/QuickTile.h"
#include "ui/theme/Palette.h"

#include <QAccessible>
#include <QToolButton>
#include <QVariantAnimation>

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using test::disk;
using ui::JunkBreakdownBar;
using ui::OverviewView;
using ui::Page;
using Segments = std::vector<JunkBreakdownBar::Segment>;

// Kinds with a size stand two points apart in kind order, each at least a three-point sliver, sharing
// out the total given (a total of zero counts as one byte).
TEST(JunkBreakdownBarGeometry, KindsShareTheWidthApartInOrderAndATinyOneStillShows) {
    const std::map<JunkKind, std::int64_t> sizes = {
        {JunkKind::appCaches, 100}, {JunkKind::logs, 0}, {JunkKind::xcode, 300}, {JunkKind::devCaches, 100}};
    EXPECT_EQ(
        JunkBreakdownBar::segments(sizes, 500, 204),
        (Segments{{JunkKind::appCaches, 0, 40}, {JunkKind::xcode, 42, 120}, {JunkKind::devCaches, 164, 40}}));
    EXPECT_EQ(JunkBreakdownBar::segments({{JunkKind::trash, 50}}, 100, 300),
              (Segments{{JunkKind::trash, 0, 150}}));
    EXPECT_TRUE(JunkBreakdownBar::segments({{JunkKind::logs, 0}}, 0, 300).empty());
    const std::int64_t big = 10'000'000'000;
    const Segments shown =
        JunkBreakdownBar::segments({{JunkKind::appCaches, big}, {JunkKind::trash, 1'000}}, big + 1'000, 600);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NEAR(shown[0].width, 598.0 * static_cast<double>(big) / static_cast<double>(big + 1'000), 1e-9);
    EXPECT_EQ(shown[1], (JunkBreakdownBar::Segment{JunkKind::trash, shown[0].width + 2, 3}));
    EXPECT_EQ(JunkBreakdownBar::segments({{JunkKind::logs, 1}}, 0, 100),
              (Segments{{JunkKind::logs, 0, 100}}));
}

// Junk of four kinds, and the disk's figures are the test's own.
class OverviewViewTest : public test::PageFixture {
protected:
    OverviewViewTest() {
        storage.tree.file("home/.cache/someapp/data", 120'000);
        storage.tree.file("home/.npm/_cacache/index", 200'000);
        storage.tree.file("home/.local/share/xorg/Xorg.0.log", 60'000);
        storage.tree.file("home/.local/share/Trash/files/old.txt", 80'000);
        storage.tree.text("home/.local/share/Trash/info/old.txt.trashinfo",
                          "[Trash Info]\nPath=/x/old.txt\n");
        storage.services.diskInfo = [figures = diskFigures](const fs::path&) { return *figures; };
    }
    OverviewView& view() {
        if (!page) {
            page = std::make_unique<OverviewView>(context());
            page->resize(900, 900);
        }
        return *page;
    }
    ui::OverviewJunkCard& junk() { return *view().junkCard(); }

    std::shared_ptr<DiskInfo> diskFigures =
        std::make_shared<DiskInfo>(DiskInfo{"Local Disk", 500'000'000'000, 200'000'000'000});
    std::unique_ptr<OverviewView> page;
};

TEST_F(OverviewViewTest, JunkCardLeavesTheFirstScanPanelAtOnceAndItsBarEasesBetweenScans) {
    view().show();
    EXPECT_TRUE(model().scanningJunk().empty()) << "the page scans only when asked";
    EXPECT_TRUE(junk().offersFirstScan());
    junk().scanButton()->click();
    EXPECT_EQ(model().scanningJunk().size(), allJunkKinds.size());
    EXPECT_FALSE(junk().offersFirstScan());
    const QString scanning = junk().heading();
    EXPECT_FALSE(junk().cleanButton()->isEnabled()) << "no cleaning while a kind is scanning";
    EXPECT_TRUE(junk().legend()->isSpinning(JunkKind::trash));

    junkScansDone();
    EXPECT_NE(junk().heading(), scanning);
    EXPECT_EQ(junk().total()->text(), disk(model().junkTotal()));
    EXPECT_FALSE(junk().legend()->isSpinning(JunkKind::trash));
    EXPECT_EQ(junk().legend()->status(JunkKind::logs), disk(model().junk().at(JunkKind::logs).size()));

    // A rescan moves the bar from the lengths it showed to the new ones.
    JunkBreakdownBar& bar = *junk().bar();
    bar.animation()->setCurrentTime(bar.animation()->duration());
    const Segments before = bar.shownSegments();
    ASSERT_EQ(before.size(), allJunkKinds.size() - 1) << "four kinds hold something, Xcode nothing";
    fs::remove(storage.home / ".cache/someapp/data");
    storage.tree.file("home/.cache/someapp/data", 400'000);
    scanJunk({JunkKind::appCaches});
    std::map<JunkKind, std::int64_t> sizes;
    for (const auto& [kind, category] : model().junk())
        sizes[kind] = category.size();
    bar.animation()->setCurrentTime(bar.animation()->duration());
    EXPECT_EQ(bar.shownSegments(), JunkBreakdownBar::segments(sizes, model().junkTotal(), bar.width()));
    EXPECT_NE(bar.shownSegments(), before);
}

TEST_F(OverviewViewTest, TrashTileWordsTheTrashAsScannedAndAnUnreadableOneHasNoSegment) {
    EXPECT_EQ(view().trashTile()->subtitle(), "Delete it for good") << "before any scan";
    scanJunk();
    EXPECT_EQ(view().trashTile()->subtitle(), disk(model().junk().at(JunkKind::trash).size()) + " in Trash");
    fs::remove_all(storage.home / ".local/share/Trash/files");
    storage.tree.dir("home/.local/share/Trash/files");
    scanJunk({JunkKind::trash});
    EXPECT_EQ(view().trashTile()->subtitle(), "Trash is empty");

    makeTrashUnreadable();
    scanJunk({JunkKind::trash});
    ASSERT_TRUE(model().junk().at(JunkKind::trash).accessDenied);
    EXPECT_EQ(junk().legend()->status(JunkKind::trash), "needs access");
    EXPECT_EQ(view().trashTile()->subtitle(), "Delete it for good");
}

TEST_F(OverviewViewTest, MemoryCardTilesAndReviewOpenTheirPagesAndTheStorageCardDoesNot) {
    view().show();
    QTest::mouseClick(view().storageCard(), Qt::LeftButton);
    // Like a button, letting go away from the card takes the press back.
    QTest::mousePress(view().memoryCard(), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseRelease(view().memoryCard(), Qt::LeftButton, {}, QPoint(-10, 20));
    EXPECT_TRUE(navigated.empty());

    QTest::mouseClick(view().memoryCard(), Qt::LeftButton);
    QTest::keyClick(view().memoryCard(), Qt::Key_Space);
    QAccessibleInterface* card = QAccessible::queryAccessibleInterface(view().memoryCard());
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->role(), QAccessible::Button);
    view().nodeModulesTile()->button()->click();
    view().largeFilesTile()->button()->click();
    junk().reviewButton()->click();
    EXPECT_EQ(navigated, (std::vector<std::optional<Page>>{Page::memory, Page::memory, Page::nodeModules,
                                                           Page::largeFiles, Page::junk}));
}

TEST_F(OverviewViewTest, CleaningAndEmptyingActOnlyWhenTheQuestionIsAnsweredYes) {
    view().show();
    scanJunk();
    // With nothing selected the button words zero bytes and waits for a selection.
    for (const JunkKind kind : allJunkKinds)
        while (model().checkState(kind) != CheckState::off)
            model().toggle(kind);
    EXPECT_EQ(junk().cleanButton()->text(), "Clean Zero KB");
    EXPECT_FALSE(junk().cleanButton()->isEnabled());
    model().toggle(JunkKind::logs);
    const QString size = disk(model().junk().at(JunkKind::logs).size());
    EXPECT_EQ(junk().cleanButton()->text(), "Clean " + size);
    junk().cleanButton()->click();
    ASSERT_NE(question(view()), nullptr);
    EXPECT_EQ(question(view())->text(), "Clean " + size + " of junk?");
    answer(view(), "Cancel");
    EXPECT_FALSE(model().isCleaningJunk());
    view().confirmClean();
    answer(view(), "Clean");
    EXPECT_TRUE(model().isCleaningJunk());
    EXPECT_TRUE(junk().cleaningSpinner()->isVisibleTo(&view()));
    EXPECT_FALSE(junk().cleanButton()->isEnabled());
    ASSERT_TRUE(test::waitFor(model(), &StorageModel::isCleaningJunkChanged,
                              [&] { return !model().isCleaningJunk(); }));
    EXPECT_FALSE(junk().cleaningSpinner()->isVisibleTo(&view()));

    view().trashTile()->button()->click();
    answer(view(), "Cancel");
    storage.pools.userInitiated().waitForDone();
    EXPECT_EQ(*emptied, 0);
    view().confirmTrash();
    model().setJunkNotice(std::nullopt);
    answer(view(), "Empty Trash");
    ASSERT_TRUE(
        test::waitFor(model(), &StorageModel::junkNoticeChanged, [&] { return model().junkNotice(); }));
    EXPECT_EQ(*emptied, 1);
    // The notice of the outcome shows on the page (its dismissal is the Junk page's test).
    EXPECT_TRUE(view().notice()->isVisibleTo(&view()));
    EXPECT_EQ(view().notice()->text(), model().junkNotice()->text);
}

TEST_F(OverviewViewTest, CardsReadTheDiskAfreshFollowTheThemeAndShareANarrowPage) {
    view();
    *diskFigures = DiskInfo{"Local Disk", 500'000'000'000, 123'400'000'000};
    EXPECT_EQ(view().storageCard()->figure()->text(), disk(200'000'000'000));
    view().show();
    EXPECT_EQ(view().storageCard()->figure()->text(), "123.4 GB") << "read again as the page shows";
    EXPECT_EQ(view().storageCard()->detail()->text(), "available of 500 GB");

    // Secondary text and the memory ring follow a switch to dark.
    view().setPalette(test::lightPalette());
    view().setPalette(test::darkPalette());
    const ui::Palette dark(test::darkPalette());
    const auto ring = dark.ringColors(memory->snapshot().pressure);
    EXPECT_EQ(view().memoryCard()->ring()->colors(), (QList<QColor>{ring[0], ring[1]}));

    // On a narrow page the cards share the width and the pill goes under the figure.
    view().resize(700, 600);
    QApplication::processEvents();
    EXPECT_TRUE(view().memoryCard()->figureRowWraps());
    EXPECT_EQ(view().memoryCard()->width(), view().storageCard()->width());
    // Nothing pushes the column past the page: the right edge of the junk card is inset like the left.
    const QRect junkCard(junk().mapTo(&view(), QPoint(0, 0)), junk().size());
    EXPECT_LE(junkCard.right(), view().width() - OverviewView::inset);

    view().resize(1100, 600);
    QApplication::processEvents();
    EXPECT_FALSE(view().memoryCard()->figureRowWraps());
}

TEST_F(OverviewViewTest, TabReachesEveryControlInReadingOrderAndEachHasAName) {
    view();
    scanJunk();
    model().setJunkNotice(Notice::make("Freed 1 MB.", false));
    view().show();
    std::vector<QWidget*> order;
    QWidget* widget = &view();
    do {
        widget = widget->nextInFocusChain();
        if (widget->isVisibleTo(&view()) && (widget->focusPolicy() & Qt::TabFocus) &&
            view().isAncestorOf(widget))
            order.push_back(widget);
    } while (widget != &view());
    const std::vector<QWidget*> expected = {view().notice()->dismissButton(),
                                            view().memoryCard(),
                                            junk().reviewButton(),
                                            junk().cleanButton(),
                                            view().freeUpTile()->button(),
                                            view().trashTile()->button(),
                                            view().nodeModulesTile()->button(),
                                            view().largeFilesTile()->button()};
    EXPECT_EQ(order, expected);
    for (QWidget* control : order)
        EXPECT_FALSE(control->accessibleName().isEmpty()) << control->metaObject()->className();
}

} // namespace
} // namespace brisklet
