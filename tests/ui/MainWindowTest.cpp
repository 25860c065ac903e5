#include "ui/MainWindow.h"

#include "app/MemoryModel.h"
#include "app/StorageFixture.h"
#include "core/fs/Bytes.h"
#include "host/Fakes.h"
#include "support/ProcTree.h"
#include "support/SignalWait.h"
#include "support/TempTree.h"
#include "ui/SidebarDisk.h"
#include "ui/SidebarModel.h"
#include "ui/SidebarView.h"
#include "ui/WidgetImage.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace brisklet {
namespace {

using namespace std::chrono_literals;
using ui::MainWindow;
using ui::Page;
using ui::SidebarModel;

constexpr int kWaitMs = 30'000;
constexpr std::uint64_t kGiB = 1 << 20; // in KiB, as meminfo counts

QString zeroBytes() {
    return QString::fromStdString(Bytes::disk(0));
}

TEST(SidebarBadgeTest, MemoryPercentRoundsHalvesAwayFromZero) {
    EXPECT_EQ(SidebarModel::memoryBadge(0.625), "63%");
    EXPECT_EQ(SidebarModel::memoryBadge(0.6249), "62%");
    EXPECT_EQ(SidebarModel::memoryBadge(0.0), "0%");
    EXPECT_EQ(SidebarModel::memoryBadge(1.0), "100%");
}

// The window over the real models, both on fixtures: a fixture home for storage, and a fixture
// /proc with 10 of 16 GiB taken by apps for memory.
class MainWindowTest : public test::GuiTest {
protected:
    MainWindowTest() {
        proc.memInfo(16 * kGiB, 10 * kGiB, 2 * kGiB);
        storage.make();
        memory =
            std::make_unique<MemoryModel>(MemoryModel::Services{.runningApps = running,
                                                                .workspace = workspace,
                                                                .procRoot = proc.root(),
                                                                .sysRoot = tree.path("sys"),
                                                                .home = tree.path("home"),
                                                                .purge = [] { return Outcome::failed("no"); },
                                                                .statsInterval = 1h},
                                          storage.pools);
        window = std::make_unique<MainWindow>(*storage.model, *memory, workspace);
    }

    QString badge(Page page) const {
        SidebarModel& rows = *window->sidebarModel();
        return rows.data(rows.indexOf(page), SidebarModel::BadgeRole).toString();
    }

    // Shows the window and waits for the junk scan it starts, so later scans are the test's own.
    void showSettled() {
        window->show();
        ASSERT_TRUE(test::waitFor(*storage.model, &StorageModel::scanningJunkChanged,
                                  [&] { return storage.model->scanningJunk().empty(); }));
    }

    test::StorageFixture storage;
    test::TempTree tree;
    test::ProcTree proc{tree};
    FakeRunningApps running;
    FakeWorkspace workspace;
    std::unique_ptr<MemoryModel> memory;
    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, OpensAtItsSizeOnTheOverview) {
    EXPECT_EQ(window->objectName(), "main");
    EXPECT_EQ(window->windowTitle(), "brisklet");
    EXPECT_EQ(window->size(), QSize(1140, 780));
    EXPECT_EQ(window->minimumSize(), QSize(960, 640));
    EXPECT_EQ(window->page(), Page::overview);
    EXPECT_EQ(window->detail()->currentWidget()->objectName(), "overview");

    window->setPage(std::nullopt);
    EXPECT_EQ(window->page(), Page::overview);
    window->setPage(Page::memory);
    EXPECT_EQ(window->detail()->currentWidget()->objectName(), "memory");
}

TEST_F(MainWindowTest, JunkBadgeAppearsWithTheFirstCategory) {
    EXPECT_EQ(badge(Page::junk), "");
    QSignalSpy rows(window->sidebarModel(), &QAbstractItemModel::dataChanged);
    storage.model->scanJunk({JunkKind::logs, JunkKind::appCaches});
    ASSERT_TRUE(test::waitFor(*storage.model, &StorageModel::junkChanged,
                              [&] { return !storage.model->junk().empty(); }));
    EXPECT_EQ(badge(Page::junk), QString::fromStdString(Bytes::disk(storage.model->junkTotal())));
    const QModelIndex junkRow = window->sidebarModel()->indexOf(Page::junk);
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const QList<QVariant>& args) {
        return args.first().toModelIndex() == junkRow;
    }));
    EXPECT_EQ(badge(Page::overview), "");
    EXPECT_EQ(badge(Page::largeFiles), "");
}

TEST_F(MainWindowTest, NodeBadgeReadsZeroAfterAScanThatFoundNothing) {
    EXPECT_EQ(badge(Page::nodeModules), "");
    storage.model->setNodeRoot(storage.tree.dir("projects"));
    storage.model->scanNodeModules();
    ASSERT_TRUE(test::waitFor(*storage.model, &StorageModel::nodeFoldersChanged,
                              [&] { return storage.model->nodeFolders().has_value(); }));
    EXPECT_EQ(badge(Page::nodeModules), zeroBytes());
}

TEST_F(MainWindowTest, MemoryBadgeShowsTheSnapshotsUsedPercent) {
    EXPECT_EQ(badge(Page::memory), "63%");
}

TEST_F(MainWindowTest, MemoryBadgeRepaintsOnlyWhenItsTextChanges) {
    QSignalSpy changes(window->sidebarModel(), &QAbstractItemModel::dataChanged);
    proc.memInfo(16 * kGiB, 10 * kGiB + 4096, 2 * kGiB); // the same 63 %
    memory->refreshStats();
    EXPECT_EQ(changes.count(), 0);
    proc.memInfo(16 * kGiB, 12 * kGiB, 2 * kGiB);
    memory->refreshStats();
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(badge(Page::memory), "75%");
}

TEST_F(MainWindowTest, FirstShowScansJunkOnceAndAShowAgainDoesNot) {
    window->show();
    EXPECT_EQ(storage.model->scanningJunk().size(), allJunkKinds.size());
    ASSERT_TRUE(test::waitFor(*storage.model, &StorageModel::scanningJunkChanged,
                              [&] { return storage.model->scanningJunk().empty(); }));
    window->hide();
    window->show();
    EXPECT_TRUE(storage.model->scanningJunk().empty());
}

TEST_F(MainWindowTest, KeyboardMovesBetweenPages) {
    showSettled();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ui::SidebarView& sidebar = *window->sidebar();
    EXPECT_TRUE(sidebar.hasFocus());

    QTest::keyClick(&sidebar, Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(window->page(), Page::nodeModules);
    EXPECT_EQ(window->detail()->currentWidget()->objectName(), "nodeModules");
    QTest::keyClick(&sidebar, Qt::Key_5, Qt::ControlModifier);
    EXPECT_EQ(window->page(), Page::memory);

    // The arrows step over the section headings.
    QTest::keyClick(&sidebar, Qt::Key_1, Qt::ControlModifier);
    QTest::keyClick(&sidebar, Qt::Key_Down);
    EXPECT_EQ(window->page(), Page::junk);
    QTest::keyClick(&sidebar, Qt::Key_Up);
    EXPECT_EQ(window->page(), Page::overview);
    QTest::keyClick(&sidebar, Qt::Key_Up);
    EXPECT_EQ(window->page(), Page::overview);
    QTest::keyClick(&sidebar, Qt::Key_4, Qt::ControlModifier);
    QTest::keyClick(&sidebar, Qt::Key_Down);
    EXPECT_EQ(window->page(), Page::memory);
    QTest::keyClick(&sidebar, Qt::Key_Down);
    EXPECT_EQ(window->page(), Page::memory);
}

TEST_F(MainWindowTest, ControlQQuitsTheApplication) {
    showSettled();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    // The shortcut ends the event loop the program runs in; a watchdog ends it otherwise.
    QTimer::singleShot(0, window.get(), [this] { QTest::keyClick(window->sidebar(), Qt::Key_Q, Qt::ControlModifier); });
    QTimer::singleShot(20'000, qApp, [] { QApplication::exit(7); });
    EXPECT_EQ(QApplication::exec(), 0);
}

// The bar's fill, sampled inside the part every used fraction here covers.
class SidebarDiskTest : public test::GuiTest {
protected:
    QColor fillAt(std::int64_t available) {
        disk.setPalette(test::lightPalette());
        disk.setDisk({"Home", 1000, available});
        const QImage image = test::renderWidget(disk, QSize(220, disk.sizeHint().height()), 2);
        const QRectF bar = disk.barGeometry();
        return test::sample(image, {bar.left() + bar.width() * 0.5, bar.center().y()});
    }

    ui::SidebarDisk disk;
};

TEST_F(SidebarDiskTest, BarTurnsRedOnlyAboveNinetyPercent) {
    const QColor ninety = fillAt(100);
    EXPECT_GT(ninety.blue(), ninety.red() + 100) << ninety.name().toStdString();
    const QColor over = fillAt(99);
    EXPECT_GT(over.red(), over.blue() + 100) << over.name().toStdString();
}

TEST_F(SidebarDiskTest, TrackBeyondTheFillIsFaint) {
    disk.setPalette(test::lightPalette());
    disk.setDisk({"Home", 1000, 800});
    const QImage image = test::renderWidget(disk, QSize(220, disk.sizeHint().height()), 1);
    const QRectF bar = disk.barGeometry();
    const QColor used = test::sample(image, {bar.left() + bar.width() * 0.1, bar.center().y()});
    const QColor track = test::sample(image, {bar.left() + bar.width() * 0.6, bar.center().y()});
    EXPECT_GT(used.alpha(), 200);
    EXPECT_LT(track.alpha(), 60);
}

} // namespace
} // namespace brisklet
