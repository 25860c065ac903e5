#include "ui/pages/NodeModulesView.h"

#include "support/PoolGate.h"
#include "ui/PageFixture.h"
#include "ui/components/EmptyState.h"
#include "ui/components/FolderButton.h"
#include "ui/components/NoticeView.h"
#include "ui/components/ProminentButton.h"
#include "ui/pages/NodeModulesListModel.h"
#include "ui/pages/NodeModulesListView.h"
#include "ui/pages/NodeModulesRowDelegate.h"
#include "ui/pages/NodeModulesSectionHeader.h"

#include <QLabel>

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Content = ui::NodeModulesView::Content;
using test::disk;

// The Desktop holds three projects, last edited 40 days, 16 days and one day ago, their
// dependencies largest to smallest in that order. The list's clock is the test's.
class NodeModulesViewTest : public test::ListPageFixture<ui::NodeModulesView> {
protected:
    NodeModulesViewTest() {
        project("old-shop", 400'000, 24h * 40);
        project("docs-site", 250'000, 24h * 16);
        project("fresh-app", 120'000, 25h);
        storage.tree.dir("home/Notes");
        build();
        view->model()->setClock([this] { return now; });
    }

    void project(const std::string& name, std::size_t bytes, std::chrono::hours age) {
        storage.tree.file("home/Desktop/" + name + "/node_modules/lib/index.js", bytes);
        fs::last_write_time(storage.tree.text("home/Desktop/" + name + "/package.json", "{}\n"),
                            fs::file_time_type::clock::now() - age);
    }
    QString edited(int row) { return rows().texts(rows().index(row)).edited; }
    fs::path modules(const std::string& name) { return storage.home / "Desktop" / name / "node_modules"; }
    void waitForScan() { waitOut(&StorageModel::isScanningNodeChanged, &StorageModel::isScanningNode); }
    void scan() {
        model().scanNodeModules();
        waitForScan();
    }

    QDateTime now = QDateTime::currentDateTime();
};

TEST_F(NodeModulesViewTest, ShowingThePageSearchesOnceAndListsEveryProjectWithItsPlaceAgeAndSize) {
    EXPECT_EQ(view->content(), Content::notScanned);
    EXPECT_EQ(view->notScanned()->description(),
              "Scans ~/Desktop for JavaScript projects and shows how much space their dependencies take.");
    EXPECT_FALSE(bar().isVisibleTo(view.get())) << "no list, no action bar";
    view->show();
    EXPECT_TRUE(model().isScanningNode());
    waitForScan();
    EXPECT_EQ(view->content(), Content::results);
    ASSERT_EQ(rows().rowCount(), 3);
    const auto& folders = *model().nodeFolders();
    EXPECT_EQ(view->sectionHeader()->totalsText(),
              "3 projects · " + disk(folders[0].size + folders[1].size + folders[2].size));
    const auto& first = rows().texts(rows().index(0));
    EXPECT_EQ(first.path, "~/Desktop/old-shop");
    EXPECT_EQ(first.size, disk(folders[0].size));
    EXPECT_EQ((QStringList{first.edited, edited(1), edited(2)}),
              (QStringList{"edited last month", "edited 2 weeks ago", "edited yesterday"}));
    EXPECT_EQ(rows().data(rows().index(2), Qt::AccessibleTextRole).toString(),
              "fresh-app, " + disk(folders[2].size) + ", edited yesterday, Not selected");
    view->hide();
    now = now.addDays(1);
    view->show();
    EXPECT_FALSE(model().isScanningNode()) << "a page that has a list does not search again";
    EXPECT_EQ(edited(2), "edited 2 days ago") << "dates are worded afresh";
}

TEST_F(NodeModulesViewTest, ARescanShowsTheSpinnerAndAChosenEmptyFolderSaysSo) {
    scan();
    {
        test::PoolGate hold(storage.pools.userInitiated());
        view->rescanButton()->click();
        EXPECT_EQ(view->content(), Content::scanning);
        EXPECT_EQ(view->scanningLabel()->text(), "Looking for node_modules in ~/Desktop…");
        EXPECT_FALSE(view->rescanButton()->isEnabled());
        hold.open();
        waitForScan();
    }
    EXPECT_TRUE(view->rescanButton()->isEnabled());

    view->folderButton()->setChooser([&](QWidget*, const fs::path&) { return storage.home / "Notes"; });
    view->folderButton()->click();
    EXPECT_EQ(model().nodeRoot(), storage.home / "Notes");
    EXPECT_EQ(view->folderButton()->folder(), storage.home / "Notes");
    waitForScan();
    EXPECT_EQ(view->content(), Content::nothingFound);
    EXPECT_EQ(view->nothingFound()->description(),
              "~/Notes has no JavaScript dependency folders. Pick another folder above.");
}

TEST_F(NodeModulesViewTest, TheBarAndTheQuestionCountTheSelectionAndOnlyGoingAheadDeletes) {
    scan();
    EXPECT_TRUE(bar().isVisibleTo(view.get()));
    EXPECT_FALSE(bar().actionButton()->isEnabled()) << "nothing selected";
    const std::int64_t docs = (*model().nodeFolders())[1].size;
    // A location left over from elsewhere counts in the number but adds no size.
    model().setNodeSelection({modules("docs-site"), "/elsewhere/node_modules"});
    EXPECT_EQ(bar().sizeText(), disk(docs) + " selected");
    EXPECT_EQ(bar().countText(), "2 folders · removed permanently, reinstall any time");
    QMessageBox* box = view->askDelete();
    EXPECT_EQ(box->text(), "Delete 2 node_modules folders?");
    ASSERT_NE(test::boxButton(*box, "Delete " + disk(docs)), nullptr);
    box->reject();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    model().setNodeSelection({modules("fresh-app"), modules("docs-site")});
    const QString size = disk(model().nodeSelectedSize());
    bar().actionButton()->click();
    answer(*view, "Cancel");
    QApplication::processEvents();
    EXPECT_FALSE(model().isDeletingNode());
    EXPECT_TRUE(fs::exists(modules("fresh-app")));
    test::boxButton(*view->askDelete(), "Delete " + size)->click();
    waitOut(&StorageModel::isDeletingNodeChanged, &StorageModel::isDeletingNode);
    EXPECT_FALSE(fs::exists(modules("fresh-app")));
    ASSERT_EQ(rows().rowCount(), 1);
    EXPECT_EQ(rows().texts(rows().index(0)).name, "old-shop");
    ASSERT_TRUE(view->notice()->isVisibleTo(view.get()));
    view->notice()->dismissButton()->click();
    EXPECT_FALSE(model().nodeNotice().has_value());
}

TEST_F(NodeModulesViewTest, KeysAndClicksToggleSelectRevealAndRescan) {
    scan();
    showActive(*view);
    ui::NodeModulesListView& list = *view->list();
    list.setFocus();
    // Ctrl+R from the list gives the keyboard back to the new list.
    QTest::keyClick(&list, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(view->content(), Content::scanning);
    waitForScan();
    EXPECT_TRUE(list.hasFocus());
    ASSERT_EQ(list.currentIndex(), rows().index(0));
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(model().nodeSelection().size(), 3u);
    EXPECT_EQ(rows().data(rows().index(1), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(list.currentIndex(), rows().index(1)) << "the focused row stays: the rows were not rebuilt";

    // The section header's buttons: untouched for 30 days replaces the selection, then all, then none.
    view->sectionHeader()->staleButton()->click();
    EXPECT_EQ(model().nodeSelection(), std::set<fs::path>{modules("old-shop")});
    view->sectionHeader()->allButton()->click();
    EXPECT_EQ(model().nodeSelection().size(), 3u);
    view->sectionHeader()->noneButton()->click();
    EXPECT_TRUE(model().nodeSelection().empty());

    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(workspace.revealed, (std::vector<std::vector<fs::path>>{{modules("docs-site")}}));

    // A click on a check box toggles that row; a click elsewhere on the row only focuses it.
    const QRect first = list.visualRect(rows().index(0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      ui::NodeModulesRowDelegate::checkBoxRect(first).center());
    EXPECT_EQ(model().nodeSelection(), std::set<fs::path>{modules("old-shop")});
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_EQ(model().nodeSelection(), std::set<fs::path>{modules("old-shop")});
    EXPECT_EQ(list.currentIndex(), rows().index(0));
}

} // namespace
} // namespace brisklet
