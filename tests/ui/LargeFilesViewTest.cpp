#include "ui/pages/LargeFilesView.h"

#include "ui/PageFixture.h"
#include "ui/components/EmptyState.h"
#include "ui/components/FolderButton.h"
#include "ui/components/NoticeView.h"
#include "ui/components/ProminentButton.h"
#include "ui/pages/LargeFilesListModel.h"
#include "ui/pages/LargeFilesListView.h"
#include "ui/pages/LargeFilesSectionHeader.h"
#include "ui/pages/LargeFilesSizePicker.h"

#include <QLabel>
#include <QMenu>

#include <fcntl.h>
#include <unistd.h>

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Content = ui::LargeFilesView::Content;
using test::disk;

// Three files of a few hundred kilobytes; the model's floor is lowered to match unless a test picks
// a size. Moving to the Trash succeeds except for files whose name starts with "stuck".
class LargeFilesViewTest : public test::ListPageFixture<ui::LargeFilesView> {
protected:
    LargeFilesViewTest() {
        video = storage.tree.file("home/Videos/talk.webm", 600'000);
        iso = storage.tree.file("home/Downloads/distro.iso", 400'000);
        stuck = storage.tree.file("home/Documents/stuck-scan.pdf", 300'000);
        storage.services.moveToTrash = [this](const std::vector<fs::path>& paths) {
            TrashMoveResult result;
            for (const fs::path& p : paths) {
                moved.push_back(p);
                (p.filename().string().starts_with("stuck") ? result.failed : result.moved).push_back(p);
            }
            return result;
        };
        build();
        QObject::connect(&model(), &StorageModel::isScanningLargeChanged, [this] {
            if (model().isScanningLarge()) ++scansStarted;
        });
    }

    QModelIndex rowOf(const fs::path& path) {
        for (int r = 0; r < rows().rowCount(); ++r)
            if (rows().row(rows().index(r)).path == path) return rows().index(r);
        return {};
    }
    void waitForScan() { waitOut(&StorageModel::isScanningLargeChanged, &StorageModel::isScanningLarge); }
    void showResults() {
        model().setLargeMinSize(200'000);
        view->show();
        waitForScan();
        ASSERT_EQ(view->content(), Content::results);
    }
    // The user's pick, as a click on one of the picker's entries reports it.
    void pick(const QString& label) {
        const int index = view->sizePicker()->findText(label);
        ASSERT_GE(index, 0) << label.toStdString();
        view->sizePicker()->setCurrentIndex(index);
        emit view->sizePicker()->activated(index);
    }
    // A file that takes `bytes` on disk without anything written to it.
    fs::path allocated(std::string_view relative, off_t bytes) {
        const fs::path path = storage.tree.file(relative);
        const int fd = ::open(path.c_str(), O_WRONLY);
        EXPECT_EQ(::posix_fallocate(fd, 0, bytes), 0);
        ::close(fd);
        return path;
    }

    fs::path video, iso, stuck;
    std::vector<fs::path> moved;
    int scansStarted = 0;
};

TEST_F(LargeFilesViewTest, ShowingThePageWithNoListStartsOneSearchAndShowsItsStatesInOrder) {
    EXPECT_EQ(view->content(), Content::notScanned) << "nothing is searched before the page is shown";
    view->show();
    EXPECT_EQ(view->content(), Content::scanning);
    EXPECT_EQ(view->scanningLabel()->text(), QStringLiteral("Measuring files in ~\u2026"));
    EXPECT_FALSE(view->rescanButton()->isEnabled());
    EXPECT_TRUE(view->sizePicker()->isEnabled()) << "the picker stays usable during a search";
    view->hide();
    view->show();
    waitForScan();
    EXPECT_EQ(view->content(), Content::nothingFound); // nothing is 100 MB in the fixture
    EXPECT_EQ(view->emptyState()->description(), "Nothing in ~ is above that size.");
    EXPECT_FALSE(bar().isVisibleTo(view.get())) << "no action bar for an empty list";
    EXPECT_TRUE(view->rescanButton()->isEnabled());
    // Another page over the same model finds the list there and searches nothing either.
    ui::LargeFilesView second(context(), storage.home);
    second.show();
    EXPECT_EQ(scansStarted, 1) << "a search under way or a list held is not searched again";
    EXPECT_EQ(second.content(), Content::nothingFound);
}

TEST_F(LargeFilesViewTest, SizesPickedSearchWithTheDecimalFloor) {
    // Just over 10^9 bytes and just under: a floor of 2^30 would drop both.
    const fs::path over = allocated("home/Movies/over.mkv", 1'000'000'000);
    allocated("home/Movies/under.mkv", 999'000'000);
    view->show();
    waitForScan();
    ASSERT_EQ(rows().rowCount(), 2);
    pick("1 GB+");
    EXPECT_EQ(view->content(), Content::scanning) << "the old list gives way to the spinner";
    waitForScan();
    ASSERT_EQ(rows().rowCount(), 1);
    EXPECT_EQ(rows().row(rows().index(0)).path, over);
    pick("1 GB+");
    EXPECT_EQ(scansStarted, 2) << "picking the size already in force is no change";
}

TEST_F(LargeFilesViewTest, RowsListTheFilesLargestFirstAndMovingAsksFirstThenFailedOnesStay) {
    const std::chrono::system_clock::time_point march5 =
        std::chrono::sys_days(std::chrono::year(2026) / 3 / 5) + 12h;
    fs::last_write_time(video, fs::file_time_type::clock::from_sys(march5));
    showResults();
    ASSERT_EQ(rows().rowCount(), 3);
    const auto first = rows().row(rows().index(0));
    EXPECT_EQ(first.path, video);
    EXPECT_EQ(first.size, disk((*model().largeFiles())[0].size));
    EXPECT_EQ(rows().row(rows().index(1)).path, iso);
    std::int64_t total = 0;
    for (const LargeFile& f : *model().largeFiles())
        total += f.size;
    EXPECT_EQ(view->sectionHeader()->text(), "3 items · " + disk(total));
    EXPECT_EQ(rows().index(0).data(Qt::AccessibleTextRole).toString(),
              "talk.webm, ~/Videos, Mar 5, 2026, " + first.size + ", Not selected");

    model().setLargeSelection({video, stuck});
    bar().actionButton()->click();
    ASSERT_NE(question(*view), nullptr);
    EXPECT_EQ(question(*view)->text(), "Move 2 items to the Trash?");
    answer(*view, "Cancel");
    EXPECT_TRUE(moved.empty()) << "Cancel moves nothing";
    test::boxButton(*view->askTrash(), "Move to Trash")->click();
    EXPECT_EQ(moved, (std::vector<fs::path>{video, stuck}));
    ASSERT_EQ(rows().rowCount(), 2);
    EXPECT_FALSE(rowOf(video).isValid()) << "the moved file leaves the list";
    EXPECT_TRUE(rowOf(stuck).isValid()) << "the one that could not be moved stays";
    EXPECT_FALSE(bar().actionButton()->isEnabled()) << "the selection went with the move";
    EXPECT_EQ(view->notice()->text(), model().largeNotice()->text);
    view->notice()->dismissButton()->click();
    EXPECT_FALSE(model().largeNotice().has_value());
}

TEST_F(LargeFilesViewTest, KeysAndClicksRescanToggleOpenAndShowTheMenu) {
    showResults();
    showActive(*view);
    ui::LargeFilesListView& list = *view->list();
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(scansStarted, 2);
    EXPECT_EQ(view->content(), Content::scanning);
    waitForScan();
    EXPECT_TRUE(list.hasFocus()) << "the keyboard is back on the list it rescanned from";
    // A toggle repaints its row's box and spoken text rather than rebuilding the list.
    QSignalSpy changed(&rows(), &QAbstractItemModel::dataChanged);
    list.setCurrentIndex(rowOf(iso));
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_EQ(model().largeSelection(), std::set<fs::path>{iso});
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.front().at(2).value<QList<int>>(),
              (QList<int>{Qt::CheckStateRole, Qt::AccessibleTextRole}));
    EXPECT_EQ(bar().sizeText(), disk((*model().largeFiles())[1].size) + " selected");
    EXPECT_EQ(bar().countText(), "1 items · moved to the Trash");
    EXPECT_TRUE(bar().actionButton()->isEnabled());
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_EQ(model().largeSelection(), (std::set<fs::path>{iso, stuck}));
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_EQ(model().largeSelection(), std::set<fs::path>{iso});
    const QRect box = list.visualRect(rowOf(video));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(box.left() + 20, box.center().y()));
    EXPECT_EQ(model().largeSelection(), (std::set<fs::path>{iso, video}));

    // Return opens the focused file without selecting it; its menu offers Open, then Show in Folder.
    list.setCurrentIndex(rowOf(iso));
    model().setLargeSelection({});
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_EQ(workspace.opened, std::vector<std::string>{iso.string()});
    EXPECT_TRUE(model().largeSelection().empty());
    choose(view->openMenu(rowOf(video), {}), 2, 1);
    choose(view->openMenu(rowOf(video), {}), 2, 0);
    EXPECT_EQ(workspace.revealed, std::vector<std::vector<fs::path>>{{video}});
    EXPECT_EQ(workspace.opened.back(), video.string());
    QSignalSpy asked(&list, &ui::LargeFilesListView::menuRequested);
    QTest::keyClick(&list, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_EQ(asked.count(), 1);
    EXPECT_EQ(asked.front().at(0).value<QModelIndex>(), rowOf(iso));
    for (QMenu* open : view->findChildren<QMenu*>())
        open->close();
}

TEST_F(LargeFilesViewTest, ChoosingAFolderSearchesIt) {
    showResults();
    const fs::path videos = storage.home / "Videos";
    view->folderButton()->setChooser(
        [&](QWidget*, const fs::path&) { return std::optional<fs::path>(videos); });
    view->folderButton()->click();
    EXPECT_EQ(model().largeRoot(), videos);
    EXPECT_EQ(view->scanningLabel()->text(), QStringLiteral("Measuring files in ~/Videos\u2026"));
    waitForScan();
    EXPECT_EQ(rows().rowCount(), 1);
}

} // namespace
} // namespace brisklet
