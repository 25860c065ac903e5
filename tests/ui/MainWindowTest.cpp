#include "ui/MainWindow.h"

#include "ui/PageFixture.h"
#include "ui/SidebarModel.h"
#include "ui/SidebarView.h"

#include <QStackedWidget>
#include <QTimer>

#include <algorithm>

namespace brisklet {
namespace {

using ui::MainWindow;
using ui::Page;
using ui::SidebarModel;

class MainWindowTest : public test::PageFixture {
protected:
    MainWindowTest() {
        context();
        window = std::make_unique<MainWindow>(model(), *memory, workspace);
    }
    QString badge(Page page) const {
        SidebarModel& rows = *window->sidebarModel();
        return rows.data(rows.indexOf(page), SidebarModel::BadgeRole).toString();
    }
    // Shows the window and waits for the junk scan it starts, so later scans are the test's own.
    void showSettled() {
        window->show();
        junkScansDone();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, OpensAtItsSizeOnTheOverviewAndScansJunkOnTheFirstShowOnly) {
    EXPECT_EQ(window->page(), Page::overview);
    window->setPage(std::nullopt);
    EXPECT_EQ(window->page(), Page::overview);

    EXPECT_EQ(badge(Page::junk), "");
    QSignalSpy rows(window->sidebarModel(), &QAbstractItemModel::dataChanged);
    window->show();
    EXPECT_EQ(model().scanningJunk().size(), allJunkKinds.size());
    // The junk badge appears with the first category and repaints its own row.
    ASSERT_TRUE(test::waitFor(model(), &StorageModel::junkChanged, [&] { return !model().junk().empty(); }));
    EXPECT_EQ(badge(Page::junk), test::disk(model().junkTotal()));
    const QModelIndex junkRow = window->sidebarModel()->indexOf(Page::junk);
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const QList<QVariant>& args) {
        return args.first().toModelIndex() == junkRow;
    }));
    EXPECT_EQ(badge(Page::overview), "");
    junkScansDone();
    window->hide();
    window->show();
    EXPECT_TRUE(model().scanningJunk().empty());
}

TEST_F(MainWindowTest, NodeAndMemoryBadgesFollowTheirModels) {
    EXPECT_EQ(badge(Page::nodeModules), "");
    model().setNodeRoot(storage.tree.dir("projects"));
    model().scanNodeModules();
    ASSERT_TRUE(test::waitFor(model(), &StorageModel::nodeFoldersChanged,
                              [&] { return model().nodeFolders().has_value(); }));
    EXPECT_EQ(badge(Page::nodeModules), test::disk(0)) << "a scan that found nothing reads zero";

    EXPECT_EQ(badge(Page::memory), "63%");
    QSignalSpy changes(window->sidebarModel(), &QAbstractItemModel::dataChanged);
    proc.memInfo(16 * kGiB, 12 * kGiB, 2 * kGiB);
    memory->refreshStats();
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(badge(Page::memory), "75%");
}

TEST_F(MainWindowTest, KeyboardMovesBetweenPagesAndQuits) {
    showSettled();
    ui::SidebarView& sidebar = *window->sidebar();
    EXPECT_TRUE(sidebar.hasFocus());

    QTest::keyClick(&sidebar, Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(window->page(), Page::nodeModules);
    EXPECT_EQ(window->detail()->currentWidget()->objectName(), "nodeModules");

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

    // Ctrl+Q ends the event loop the program runs in; a watchdog ends it otherwise.
    QTimer::singleShot(0, window.get(), [&] { QTest::keyClick(&sidebar, Qt::Key_Q, Qt::ControlModifier); });
    QTimer::singleShot(20'000, qApp, [] { QApplication::exit(7); });
    EXPECT_EQ(QApplication::exec(), 0);
}

} // namespace
} // namespace brisklet
