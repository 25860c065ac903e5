#include "ui/pages/MemoryView.h"

#include "ui/PageFixture.h"
#include "ui/components/NoticeView.h"
#include "ui/components/ProminentButton.h"
#include "ui/components/SelectionBar.h"
#include "ui/components/Spinner.h"
#include "ui/pages/AppListModel.h"
#include "ui/pages/AppListView.h"
#include "ui/pages/AppRow.h"
#include "ui/pages/MemoryAppsCard.h"
#include "ui/pages/MemoryBar.h"
#include "ui/pages/MemoryCardParts.h"
#include "ui/pages/MemoryProcessCards.h"
#include "ui/pages/MemorySummaryCard.h"

#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

namespace brisklet {
namespace {

using ui::MemoryBar;
using Capsules = std::vector<MemoryBar::Capsule>;

constexpr std::uint64_t kMiB = 1024; // in KiB, as the fixture counts

TEST(MemoryBarGeometry, PartsShareTheTrackInOrderAndNeverLeaveIt) {
    using P = MemoryBar::Part;
    MemorySnapshot snapshot{.total = 1000, .app = 500, .wired = 100, .compressed = 0, .cached = 200};
    // Each part's share of 402 points less its gap; an empty part takes no room and no gap.
    EXPECT_EQ(
        MemoryBar::capsules(snapshot, 402),
        (Capsules{
            {P::app, 0, 199}, {P::wired, 201, 38.2}, {P::compressed, 241.2, 0}, {P::cached, 241.2, 78.4}}));
    // Counters read at different moments may add up to more than the total: the bar still ends at its end.
    snapshot.cached = 900;
    const Capsules overfull = MemoryBar::capsules(snapshot, 402);
    EXPECT_DOUBLE_EQ(overfull[3].left + overfull[3].width, 402);
    // A machine that reports nothing draws the empty track.
    for (const auto& capsule : MemoryBar::capsules({.total = 0, .app = 10, .cached = 5}, 300))
        EXPECT_EQ(capsule.width, 0);
}

TEST(AppRowGeometry, ShareBarsAreMeasuredAgainstTheBiggestAppAndNeverVanish) {
    EXPECT_DOUBLE_EQ(ui::AppRow::shareBarWidth(260, ui::AppRow::shareOf(0, 8 << 30)), 3);
    EXPECT_DOUBLE_EQ(ui::AppRow::shareBarWidth(260, ui::AppRow::shareOf(4, 8)), 130);
    EXPECT_DOUBLE_EQ(ui::AppRow::shareBarWidth(120, ui::AppRow::shareOf(8, 8)), 120);
    // A biggest app of nothing counts as one byte; a share never passes the whole.
    EXPECT_DOUBLE_EQ(ui::AppRow::shareOf(5, 0), 1);
}

// Apps passes run when a test asks for one; the purge waits for the test to open its gate.
class MemoryViewTest : public test::PageFixture {
protected:
    void addApp(pid_t pid, const std::string& name, std::uint64_t mib, bool hidden, bool windows,
                std::vector<std::uint64_t> helpersMiB = {}) {
        const std::string bundle = "/opt/" + name;
        proc.add({.pid = pid, .name = name, .footprintKiB = mib * kMiB, .exe = bundle + "/" + name});
        pid_t helper = pid + 1;
        for (const std::uint64_t helperMiB : helpersMiB)
            proc.add({.pid = helper++,
                      .parent = pid,
                      .name = "helper",
                      .footprintKiB = helperMiB * kMiB,
                      .exe = bundle + "/helper"});
        RunningApp app{pid, {pid}, name, name, {}, std::filesystem::path(bundle) / name, bundle};
        app.isHidden = hidden;
        app.hasWindows = windows;
        running.apps.push_back(app);
    }
    // Built on first use, once the test has laid out its processes, and shown active.
    ui::MemoryView& view() {
        if (!page) {
            page = std::make_unique<ui::MemoryView>(context(true));
            page->resize(1000, 700);
            showActive(*page);
        }
        return *page;
    }
    void appsPass() {
        QSignalSpy published(memory.get(), &MemoryModel::backgroundChanged);
        memory->refreshApps();
        ASSERT_TRUE(published.wait(30'000));
    }
    ui::AppListView& list() { return *view().appList(); }
    ui::AppListModel& rows() { return *view().apps()->model(); }
    QRect rowRect(int row) { return list().visualRect(rows().index(row)); }
    void replace(const test::FixtureProcess& process) {
        std::filesystem::remove_all(proc.root() / std::to_string(process.pid));
        proc.add(process);
    }

    std::unique_ptr<ui::MemoryView> page;
};

TEST_F(MemoryViewTest, AppsAreListedLargestFirstWithTagsAndCounts) {
    addApp(100, "Zero", 0, false, false);
    addApp(200, "Big", 1024, true, true, {512});
    view();
    ASSERT_EQ(rows().rowCount(), 2);
    EXPECT_EQ(view().apps()->countText(), "2 running");
    EXPECT_TRUE(view().devProcesses()->isHidden()) << "no runtimes, no card";
    EXPECT_EQ(rows().data(rows().index(0), Qt::AccessibleTextRole).toString(),
              "Big, 1.5 GB, 2 processes, Hidden, Not selected");
    EXPECT_EQ(rows().data(rows().index(1), Qt::AccessibleTextRole).toString(),
              "Zero, Zero KB, No open windows, Not selected");
}

TEST_F(MemoryViewTest, TickingBringsTheBottomBarAndEachWayOfQuittingAsksTheApp) {
    addApp(100, "Editor", 700, false, true);
    addApp(200, "Chat", 300, false, true);
    running.apps[1].bundle.reset();
    view();
    const int scrollHeight = view().scrollArea()->height();
    list().setFocus();
    QTest::keyClick(&list(), Qt::Key_Space);
    EXPECT_EQ(memory->selectedApps(), (std::set<pid_t>{100}));
    ui::SelectionBar& bar = *view().bottomBar();
    ASSERT_TRUE(bar.isVisible());
    EXPECT_EQ(bar.sizeText(), "700 MB selected");
    EXPECT_EQ(bar.countText(), "1 apps · each one gets a normal Quit, so unsaved work is safe");
    // The bar takes its room from the scroll area rather than covering the list.
    EXPECT_LT(view().scrollArea()->height(), scrollHeight);

    bar.dismissButton()->click();
    EXPECT_TRUE(memory->selectedApps().empty());
    EXPECT_TRUE(bar.isHidden());

    const QPoint box = ui::AppRow::checkBoxRect(rowRect(1)).center();
    QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, box);
    EXPECT_EQ(memory->selectedApps(), (std::set<pid_t>{200}));

    // "Quit Selected" asks every selected app politely, with no question first.
    bar.actionButton()->click();
    EXPECT_EQ(running.quitRequests, std::vector<pid_t>{200});
    EXPECT_TRUE(running.forceQuitRequests.empty());
    EXPECT_EQ(question(view()), nullptr);

    // A row's own quit button, Delete and the menu quit one app; force quit asks first.
    QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, list().quitButtonRect(rows().index(1)).center());
    EXPECT_EQ(running.quitRequests, (std::vector<pid_t>{200, 200}));
    list().setFocus();
    list().setCurrentIndex(rows().index(0));
    QTest::keyClick(&list(), Qt::Key_Delete);
    EXPECT_EQ(running.quitRequests, (std::vector<pid_t>{200, 200, 100}));

    QTest::keyClick(&list(), Qt::Key_Delete, Qt::ShiftModifier);
    ASSERT_NE(question(view()), nullptr);
    EXPECT_EQ(question(view())->text(), "Force quit Editor?");
    answer(view(), "Cancel");
    EXPECT_TRUE(running.forceQuitRequests.empty());

    // From the menu this time: quit, force quit, a separator and the folder, which only an app with
    // a folder of its own gets (Chat has none).
    choose(view().openMenu(rows().index(0), {}), 4, 3);
    EXPECT_EQ(workspace.revealed, (std::vector<std::vector<std::filesystem::path>>{{"/opt/Editor/Editor"}}));
    choose(view().openMenu(rows().index(0), {}), 4, 1);
    answer(view(), "Force Quit");
    EXPECT_EQ(running.forceQuitRequests, std::vector<pid_t>{100});
    choose(view().openMenu(rows().index(1), {}), 2, -1);
}

TEST_F(MemoryViewTest, RefreshesMoveAndRepaintRowsButKeepTheCurrentAppFocusAndScroll) {
    for (int i = 0; i < 12; ++i)
        addApp(100 + 10 * i, "App" + std::to_string(i), 1200 - 50 * static_cast<std::uint64_t>(i), false,
               true);
    view();
    ASSERT_EQ(rows().rowCount(), 12);
    list().setFocus();
    list().setCurrentIndex(rows().index(5)); // App5
    QScrollBar& scroll = *view().scrollArea()->verticalScrollBar();
    ASSERT_GT(scroll.maximum(), 0);
    scroll.setValue(scroll.maximum() / 2);
    const int scrolled = scroll.value();

    QSignalSpy resets(&rows(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&rows(), &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&rows(), &QAbstractItemModel::dataChanged);
    appsPass();
    EXPECT_EQ(changed.count(), 0) << "nothing changed, so nothing repaints";

    // App5 becomes the biggest: it moves to the top and stays the keyboard's row.
    replace({.pid = 150, .name = "App5", .footprintKiB = 4000 * kMiB, .exe = "/opt/App5/App5"});
    appsPass();
    EXPECT_EQ(rows().app(rows().index(0))->name, "App5");

    // One app quits, another starts.
    running.apps.erase(running.apps.begin() + 3);
    addApp(900, "Newcomer", 1, false, true);
    appsPass();
    ASSERT_EQ(rows().rowCount(), 12);
    EXPECT_EQ(rows().app(rows().index(11))->name, "Newcomer");
    EXPECT_FALSE(rows().indexOf(130).isValid());
    EXPECT_EQ(rows().app(list().currentIndex())->name, "App5");

    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(inserted.count(), 1);
    EXPECT_TRUE(list().hasFocus());
    EXPECT_EQ(scroll.value(), scrolled);
}

TEST_F(MemoryViewTest, RuntimesShowWhereTheyRunAndStopOnlyAfterTheQuestion) {
    // Above the most process ids the kernel can ever hand out, so that stopping it signals nothing real.
    constexpr pid_t unused = (1 << 22) + 1;
    const std::string home = storage.home.string();
    proc.add({.pid = 300,
              .name = "node",
              .footprintKiB = 200 * kMiB,
              .arguments = {"node", home + "/site/server.js"},
              .cwd = home + "/site"});
    proc.add({.pid = unused,
              .name = "python3",
              .footprintKiB = 100 * kMiB,
              .arguments = {"python3", "-m", "http.server"}});
    proc.add({.pid = 500, .name = "daemon", .footprintKiB = 3 * kMiB});
    addApp(100, "Editor", 700, false, true);
    view();
    ui::DevProcessesCard& card = *view().devProcesses();
    ASSERT_TRUE(card.isVisible());
    ASSERT_EQ(card.rowCount(), 2);
    EXPECT_EQ(card.totalText(), "300 MB total");
    EXPECT_EQ(card.titleLine(0)->text(), "node server.js");
    EXPECT_TRUE(card.directoryLine(0)->isVisible());
    EXPECT_EQ(card.directoryLine(0)->text(), "~/site");
    EXPECT_TRUE(card.directoryLine(1)->isHidden());
    ASSERT_EQ(view().background()->rowCount(), 1);
    EXPECT_EQ(view().background()->rowText(0), "daemon 3 MB");

    card.stopButton(0)->click();
    QMessageBox* box = question(view());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Stop node?");
    EXPECT_EQ(box->informativeText(),
              "server.js\nin ~/site\n\nIt gets a normal stop signal, like pressing Ctrl-C in its terminal.");
    box->reject();

    card.stopButton(1)->click();
    box = question(view());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->informativeText(),
              "-m http.server\n\nIt gets a normal stop signal, like pressing Ctrl-C in its terminal.");
    test::boxButton(*box, "Stop")->click();
    ASSERT_TRUE(memory->notice()) << "nothing there to stop";
    EXPECT_TRUE(view().notice()->isVisible());
    EXPECT_EQ(card.stopButton(0)->accessibleName(), "Stop node, PID 300");
}

} // namespace
} // namespace brisklet
