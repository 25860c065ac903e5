#include "ui/pages/NodeModulesView.h"

#include "app/MemoryModel.h"
#include "app/StorageFixture.h"
#include "core/fs/Bytes.h"
#include "host/Fakes.h"
#include "support/ProcTree.h"
#include "support/PoolGate.h"
#include "support/SignalWait.h"
#include "ui/WidgetImage.h"
#include "ui/components/EmptyState.h"
#include "ui/components/FolderButton.h"
#include "ui/components/IconCache.h"
#include "ui/components/NoticeView.h"
#include "ui/components/ProminentButton.h"
#include "ui/components/SelectionBar.h"
#include "ui/pages/NodeModulesListModel.h"
#include "ui/pages/NodeModulesListView.h"
#include "ui/pages/NodeModulesRowDelegate.h"
#include "ui/pages/NodeModulesSectionHeader.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Content = ui::NodeModulesView::Content;

constexpr std::size_t kKB = 1000;

QString disk(std::int64_t bytes) {
    return QString::fromStdString(Bytes::disk(bytes));
}


// The page over the real storage model on a fixture home whose Desktop holds three projects, last
// edited 40 days, 16 days and one day ago, their dependencies largest to smallest in that order.
class NodeModulesViewTest : public test::GuiTest {
protected:
    NodeModulesViewTest() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ui::IconCache::setService([](const fs::path&) { return QIcon(); });
        project("old-shop", 400 * kKB, 24h * 40);
        project("docs-site", 250 * kKB, 24h * 16);
        project("fresh-app", 120 * kKB, 25h);
        storage.tree.dir("home/Notes");
        storage.make();
        proc.memInfo(16u << 20, 8u << 20, 2u << 20);
        memory = std::make_unique<MemoryModel>(MemoryModel::Services{.runningApps = running,
                                                                     .workspace = workspace,
                                                                     .procRoot = proc.root(),
                                                                     .sysRoot = storage.tree.path("sys"),
                                                                     .home = storage.home,
                                                                     .purge = [] { return Outcome::failed("no"); },
                                                                     .statsInterval = 1h},
                                               storage.pools);
        view = std::make_unique<ui::NodeModulesView>(ui::PageContext{model(), *memory, workspace, {}},
                                                     storage.home);
        view->model()->setClock([this] { return now; });
        view->resize(900, 700);
    }

    ~NodeModulesViewTest() override {
        view.reset();
        ui::IconCache::setService({});
        QLocale::setDefault(m_locale);
    }

    void project(const std::string& name, std::size_t bytes, std::chrono::hours age) {
        const std::string folder = "home/Desktop/" + name;
        storage.tree.file(folder + "/node_modules/lib/index.js", bytes);
        const auto when = fs::file_time_type::clock::now() - age;
        fs::last_write_time(storage.tree.text(folder + "/package.json", "{}\n"), when);
    }

    StorageModel& model() { return *storage.model; }
    ui::NodeModulesListModel& rows() { return *view->model(); }
    ui::SelectionBar& bar() { return *view->actionBar(); }
    fs::path modules(const std::string& name) { return storage.home / "Desktop" / name / "node_modules"; }

    void scan() {
        model().scanNodeModules();
        ASSERT_TRUE(test::waitFor(model(), &StorageModel::isScanningNodeChanged,
                                  [&] { return !model().isScanningNode(); }));
    }

    // Focus and window shortcuts need the window to be the active one.
    void showActive() {
        view->show();
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    }

    test::StorageFixture storage;
    test::ProcTree proc{storage.tree};
    FakeRunningApps running;
    FakeWorkspace workspace;
    std::unique_ptr<MemoryModel> memory;
    std::unique_ptr<ui::NodeModulesView> view;
    QDateTime now = QDateTime::currentDateTime();

private:
    // Set before the constructor pins American English, so the pinning is undone for later tests.
    QLocale m_locale;
};

TEST_F(NodeModulesViewTest, ResultsListEveryProjectWithItsPlaceAgeAndSize) {
    scan();
    EXPECT_EQ(view->content(), Content::results);
    ASSERT_EQ(rows().rowCount(), 3);
    const auto& folders = *model().nodeFolders();
    std::int64_t total = 0;
    for (const auto& folder : folders)
        total += folder.size;
    EXPECT_EQ(view->sectionHeader()->totalsText(), "3 projects · " + disk(total));

    const auto& first = rows().texts(rows().index(0));
    EXPECT_EQ(first.name, "old-shop");
    EXPECT_EQ(first.path, "~/Desktop/old-shop");
    EXPECT_EQ(first.edited, "edited last month");
    EXPECT_EQ(first.size, disk(folders[0].size));
    EXPECT_EQ(rows().texts(rows().index(1)).edited, "edited 2 weeks ago");
    EXPECT_EQ(rows().texts(rows().index(2)).edited, "edited yesterday");
    EXPECT_EQ(rows().data(rows().index(2), Qt::AccessibleTextRole).toString(),
              "fresh-app, " + disk(folders[2].size) + ", edited yesterday, Not selected");
}

TEST_F(NodeModulesViewTest, AFolderWithoutADateHasNoEditedWordsButCountsAsUntouched) {
    // The finder dates every project that has a manifest, so an undated folder is made up here.
    const NodeModulesFolder undated{storage.home / "Desktop/ghost/node_modules", 5'000'000, std::nullopt};
    const auto texts = ui::NodeModulesListModel::textsFor(undated, storage.home, now);
    EXPECT_TRUE(texts.edited.isEmpty());
    EXPECT_EQ(ui::NodeModulesListModel::accessibleText(texts, true), "ghost, " + disk(5'000'000) + ", Selected");

    // The button asks the model for folders untouched 30 days, replacing what was selected.
    scan();
    model().setNodeSelection({modules("fresh-app")});
    view->sectionHeader()->staleButton()->click();
    EXPECT_EQ(model().nodeSelection(), std::set<fs::path>{modules("old-shop")});
    view->sectionHeader()->allButton()->click();
    EXPECT_EQ(model().nodeSelection().size(), 3u);
    view->sectionHeader()->noneButton()->click();
    EXPECT_TRUE(model().nodeSelection().empty());
}

TEST_F(NodeModulesViewTest, ARescanShowsTheSpinnerInsteadOfTheOldResults) {
    scan();
    model().setNodeSelection({modules("old-shop")});
    {
        test::PoolGate hold(storage.pools.userInitiated());
        view->rescanButton()->click();
        EXPECT_EQ(view->content(), Content::scanning);
        EXPECT_EQ(view->scanningLabel()->text(), "Looking for node_modules in ~/Desktop…");
        EXPECT_FALSE(view->rescanButton()->isEnabled());
        EXPECT_EQ(rows().rowCount(), 3) << "the model keeps the old list until the new one lands";
        hold.open();
        ASSERT_TRUE(test::waitFor(model(), &StorageModel::isScanningNodeChanged,
                                  [&] { return !model().isScanningNode(); }));
    }
    EXPECT_EQ(view->content(), Content::results);
    EXPECT_TRUE(view->rescanButton()->isEnabled());
    EXPECT_TRUE(model().nodeSelection().empty()) << "a fresh list starts with nothing selected";
    EXPECT_EQ(bar().countText(), "0 folders · removed permanently, reinstall any time");
}

TEST_F(NodeModulesViewTest, CtrlRFromTheListGivesTheKeyboardBackToTheNewList) {
    scan();
    showActive();
    view->list()->setFocus();
    QTest::keyClick(view->list(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(view->content(), Content::scanning);
    ASSERT_TRUE(test::waitFor(model(), &StorageModel::isScanningNodeChanged, [&] { return !model().isScanningNode(); }));
    EXPECT_TRUE(view->list()->hasFocus());
    EXPECT_EQ(view->list()->currentIndex(), rows().index(0));
}

TEST_F(NodeModulesViewTest, ChoosingAFolderSearchesItAndAnEmptyOneSaysSo) {
    EXPECT_EQ(view->content(), Content::notScanned);
    EXPECT_EQ(view->notScanned()->title(), "Find node_modules folders");
    EXPECT_EQ(view->notScanned()->description(),
              "Scans ~/Desktop for JavaScript projects and shows how much space their dependencies take.");
    EXPECT_FALSE(bar().isVisibleTo(view.get())) << "no list, no action bar";

    view->folderButton()->setChooser([&](QWidget*, const fs::path&) { return storage.home / "Notes"; });
    view->folderButton()->click();
    EXPECT_EQ(model().nodeRoot(), storage.home / "Notes");
    EXPECT_EQ(view->content(), Content::scanning);
    ASSERT_TRUE(test::waitFor(model(), &StorageModel::isScanningNodeChanged, [&] { return !model().isScanningNode(); }));
    EXPECT_EQ(view->content(), Content::nothingFound);
    EXPECT_EQ(view->nothingFound()->title(), "No node_modules found");
    EXPECT_EQ(view->nothingFound()->description(),
              "~/Notes has no JavaScript dependency folders. Pick another folder above.");
    EXPECT_FALSE(bar().isVisibleTo(view.get())) << "an empty list has no action bar either";
    EXPECT_EQ(view->folderButton()->folder(), storage.home / "Notes");
}

TEST_F(NodeModulesViewTest, ShowingThePageWithoutAListStartsOneSearch) {
    QSignalSpy started(&model(), &StorageModel::isScanningNodeChanged);
    view->show();
    EXPECT_TRUE(model().isScanningNode());
    ASSERT_TRUE(test::waitUntil(started, [&] { return !model().isScanningNode(); }));
    EXPECT_EQ(started.count(), 2);
    EXPECT_EQ(rows().texts(rows().index(2)).edited, "edited yesterday");

    view->hide();
    now = now.addDays(1);
    view->show();
    EXPECT_FALSE(model().isScanningNode()) << "a page that has a list does not search again";
    EXPECT_EQ(rows().texts(rows().index(2)).edited, "edited 2 days ago") << "dates are worded afresh";
}

TEST_F(NodeModulesViewTest, TheBarCountsTheSelectionAndSizesOnlyListedFolders) {
    scan();
    EXPECT_TRUE(bar().isVisibleTo(view.get()));
    EXPECT_FALSE(bar().actionButton()->isEnabled()) << "nothing selected";
    const auto& folders = *model().nodeFolders();

    // A location left over from elsewhere counts in the number but adds no size.
    model().setNodeSelection({modules("docs-site"), "/elsewhere/node_modules"});
    EXPECT_TRUE(bar().actionButton()->isEnabled());
    EXPECT_EQ(bar().sizeText(), disk(folders[1].size) + " selected");
    EXPECT_EQ(bar().countText(), "2 folders · removed permanently, reinstall any time");
    QMessageBox* box = view->askDelete();
    EXPECT_EQ(box->text(), "Delete 2 node_modules folders?");
    ASSERT_NE(test::boxButton(*box, "Delete " + disk(folders[1].size)), nullptr);
    box->reject();

    model().setNodeSelection({modules("fresh-app")});
    EXPECT_EQ(bar().countText(), "1 folders · removed permanently, reinstall any time");
}

TEST_F(NodeModulesViewTest, TheQuestionIsWordedExactlyAndOnlyGoingAheadDeletes) {
    scan();
    model().setNodeSelection({modules("fresh-app"), modules("docs-site")});
    const QString size = disk(model().nodeSelectedSize());
    bar().actionButton()->click();
    auto* box = view->findChild<QMessageBox*>("confirmation");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Delete 2 node_modules folders?");
    EXPECT_EQ(box->informativeText(),
              "They're removed permanently. Your code isn't touched — run npm install (or pnpm/yarn/bun install) "
              "in a project to get its packages back.");
    ASSERT_NE(test::boxButton(*box, "Delete " + size), nullptr);
    EXPECT_EQ(box->buttonRole(test::boxButton(*box, "Delete " + size)), QMessageBox::DestructiveRole);
    test::boxButton(*box, "Cancel")->click();
    QApplication::processEvents();
    EXPECT_FALSE(model().isDeletingNode());
    EXPECT_EQ(rows().rowCount(), 3);
    EXPECT_TRUE(fs::exists(modules("fresh-app")));

    QMessageBox* again = view->askDelete();
    test::boxButton(*again, "Delete " + size)->click();
    ASSERT_TRUE(test::waitFor(model(), &StorageModel::isDeletingNodeChanged, [&] { return !model().isDeletingNode(); }));
    EXPECT_FALSE(fs::exists(modules("fresh-app")));
    EXPECT_TRUE(fs::exists(storage.home / "Desktop/fresh-app/package.json")) << "the code stays";
    ASSERT_EQ(rows().rowCount(), 1);
    EXPECT_EQ(rows().texts(rows().index(0)).name, "old-shop");
    ASSERT_TRUE(view->notice()->isVisibleTo(view.get()));
    EXPECT_TRUE(view->notice()->text().endsWith(" Run npm install in a project to bring its packages back."));
    view->notice()->dismissButton()->click();
    EXPECT_FALSE(model().nodeNotice().has_value());
}

TEST_F(NodeModulesViewTest, KeyboardAndMouseToggleSelectAllRevealAndOpenTheMenu) {
    scan();
    showActive();
    ui::NodeModulesListView& list = *view->list();
    list.setFocus();
    ASSERT_EQ(list.currentIndex(), rows().index(0));
    QTest::keyClick(&list, Qt::Key_Down);
    ASSERT_EQ(list.currentIndex(), rows().index(1));

    QSignalSpy repaint(&rows(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&rows(), &QAbstractItemModel::modelReset);
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_EQ(model().nodeSelection(), std::set<fs::path>{modules("docs-site")});
    EXPECT_EQ(rows().data(rows().index(1), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_TRUE(rows().data(rows().index(1), Qt::AccessibleTextRole).toString().endsWith(", Selected"));
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_TRUE(model().nodeSelection().empty());

    QTest::keyClick(&list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(model().nodeSelection().size(), 3u);
    EXPECT_FALSE(repaint.isEmpty());
    EXPECT_EQ(reset.count(), 0) << "a selection change repaints rows, it does not rebuild them";
    EXPECT_EQ(list.currentIndex(), rows().index(1)) << "the focused row stays";

    QTest::keyClick(&list, Qt::Key_Return);
    ASSERT_EQ(workspace.revealed.size(), 1u);
    EXPECT_EQ(workspace.revealed.back(), std::vector<fs::path>{modules("docs-site")});

    QTest::keyClick(&list, Qt::Key_F10, Qt::ShiftModifier);
    auto* menu = view->findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().front()->text(), "Show in Folder");
    menu->actions().front()->trigger();
    ASSERT_EQ(workspace.revealed.size(), 2u);
    EXPECT_EQ(workspace.revealed.back(), std::vector<fs::path>{modules("docs-site")});
    menu->close();

    // A click on a check box toggles that row; a click elsewhere on the row only focuses it.
    const QRect first = list.visualRect(rows().index(0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, ui::NodeModulesRowDelegate::checkBoxRect(first).center());
    EXPECT_FALSE(model().nodeSelection().contains(modules("old-shop")));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_FALSE(model().nodeSelection().contains(modules("old-shop")));
    EXPECT_EQ(list.currentIndex(), rows().index(0));
}

} // namespace
} // namespace brisklet
