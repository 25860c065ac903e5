#include "ui/pages/JunkView.h"

#include "ui/PageFixture.h"
#include "ui/components/NoticeView.h"
#include "ui/components/ProminentButton.h"
#include "ui/components/SelectionBar.h"
#include "ui/pages/JunkRowDelegate.h"
#include "ui/pages/JunkTrashActions.h"
#include "ui/pages/JunkTreeModel.h"
#include "ui/pages/JunkTreeView.h"

#include <QMenu>
#include <QPersistentModelIndex>
#include <QToolButton>

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using test::disk;
using ui::JunkTreeModel;
using Row = JunkTreeModel::Row;
using RowType = JunkTreeModel::RowType;
using Trailing = JunkTreeModel::Trailing;

// Two app caches, no logs, and a Trash holding one file, unless a test changes that first.
class JunkViewTest : public test::PageFixture {
protected:
    JunkViewTest() {
        storage.tree.file("home/.cache/alpha/data", 300'000);
        storage.tree.file("home/.cache/beta/data", 120'000);
        storage.tree.file("home/.local/share/Trash/files/old.pdf", 200'000);
        view = std::make_unique<ui::JunkView>(context(), storage.home);
        view->resize(900, 700);
    }

    JunkTreeModel& rows() { return *view->model(); }
    QModelIndex category(JunkKind kind) { return rows().categoryIndex(kind); }
    QModelIndex child(JunkKind kind, int row) { return rows().index(row, 0, category(kind)); }
    Row at(const QModelIndex& index) { return rows().row(index); }
    ui::SelectionBar& bar() { return *view->actionBar(); }

    std::unique_ptr<ui::JunkView> view;
};

TEST_F(JunkViewTest, BeforeAndDuringAScanNothingCanBeCleaned) {
    for (const JunkKind kind : allJunkKinds) {
        const Row row = at(category(kind));
        EXPECT_EQ(row.size, disk(0)) << rawValue(kind);
        EXPECT_FALSE(row.checkEnabled) << rawValue(kind);
        EXPECT_FALSE(view->list()->isExpanded(category(kind))) << "groups start closed";
    }
    EXPECT_FALSE(bar().actionButton()->isEnabled());

    scanJunk();
    ASSERT_GT(model().selectedJunkSize(), 0);
    EXPECT_TRUE(bar().actionButton()->isEnabled());
    EXPECT_EQ(bar().sizeText(), disk(model().selectedJunkSize()) + " selected");
    // While any kind rescans, the spinner stands where its size was and nothing can clean or rescan.
    model().scanJunk({JunkKind::logs});
    EXPECT_EQ(at(category(JunkKind::logs)).trailing, Trailing::scanning);
    EXPECT_EQ(at(category(JunkKind::trash)).trailing, Trailing::size);
    EXPECT_FALSE(bar().actionButton()->isEnabled());
    EXPECT_FALSE(view->rescanButton()->isEnabled());
    junkScansDone();
    EXPECT_TRUE(bar().actionButton()->isEnabled());
    EXPECT_TRUE(view->rescanButton()->isEnabled());

    // A category with nothing found is off, disabled, says so when opened, and ignores Space.
    EXPECT_EQ(at(category(JunkKind::logs)).check, CheckState::off);
    EXPECT_FALSE(at(category(JunkKind::logs)).checkEnabled);
    view->setExpanded(JunkKind::logs, true);
    ASSERT_EQ(rows().rowCount(category(JunkKind::logs)), 1);
    EXPECT_EQ(at(child(JunkKind::logs, 0)).type, RowType::empty);
    view->list()->setFocus();
    view->list()->setCurrentIndex(category(JunkKind::logs));
    const auto before = model().junkSelection();
    QTest::keyClick(view->list(), Qt::Key_Space);
    EXPECT_EQ(model().junkSelection(), before);
}

TEST_F(JunkViewTest, TheTrashGroupOpensOnItsActionsRowAndARescanChangesItsRowsAlone) {
    scanJunk();
    view->setExpanded(JunkKind::trash, true);
    ASSERT_EQ(rows().rowCount(category(JunkKind::trash)), 2);
    EXPECT_EQ(at(child(JunkKind::trash, 0)).type, RowType::trashActions);
    EXPECT_FALSE(view->trashActions()->isDenied());
    const Row item = at(child(JunkKind::trash, 1));
    EXPECT_EQ(item.type, RowType::item);
    EXPECT_EQ(item.size, disk(model().junk().at(JunkKind::trash).size()));
    // An item without a note reads as a home-relative location.
    view->setExpanded(JunkKind::appCaches, true);
    EXPECT_EQ(at(child(JunkKind::appCaches, 0)).detail, "~/.cache/alpha");
    EXPECT_EQ(rows().data(category(JunkKind::appCaches), Qt::AccessibleTextRole).toString(),
              "App Caches, " + at(category(JunkKind::appCaches)).size + ", Selected");

    // Rescanning one kind changes that kind's rows alone, and its open group stays open.
    const QPersistentModelIndex cache(child(JunkKind::appCaches, 1));
    const JunkItem before = *rows().item(cache);
    storage.tree.file("home/.local/share/Trash/files/new.iso", 900'000);
    scanJunk({JunkKind::trash});
    ASSERT_TRUE(cache.isValid()) << "a reset or a rebuilt group would have dropped it";
    EXPECT_EQ(cache.row(), 1);
    EXPECT_EQ(*rows().item(cache), before);
    EXPECT_EQ(rows().rowCount(category(JunkKind::trash)), 3);
    EXPECT_TRUE(view->list()->isExpanded(category(JunkKind::trash)));
    EXPECT_EQ(view->list()->indexWidget(child(JunkKind::trash, 0)), view->trashActions());

    // Unreadable, the Trash needs access and offers only emptying: the lock row, no empty wording.
    makeTrashUnreadable();
    scanJunk({JunkKind::trash});
    EXPECT_EQ(at(category(JunkKind::trash)).trailing, Trailing::needsAccess);
    ASSERT_EQ(rows().rowCount(category(JunkKind::trash)), 1);
    EXPECT_EQ(at(child(JunkKind::trash, 0)).type, RowType::trashActions);
    ui::JunkTrashActions& actions = *view->trashActions();
    EXPECT_TRUE(actions.isDenied());
    EXPECT_EQ(actions.findChildren<QPushButton*>().size(), 1) << "emptying is all it offers";
}

TEST_F(JunkViewTest, ConfirmationsAreWordedFromTheSelectionAndCancelDoesNothing) {
    scanJunk();
    const auto selection = model().junkSelection();
    bar().actionButton()->click();
    QMessageBox* clean = question(*view);
    ASSERT_NE(clean, nullptr);
    EXPECT_EQ(clean->text(), "Clean " + disk(model().selectedJunkSize()) + " of junk?");
    EXPECT_EQ(clean->informativeText(),
              QString::number(model().selectedJunk().size()) +
                  " selected items are deleted permanently. Apps recreate whatever they still need.");
    QTest::keyClick(clean, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(model().isCleaningJunk());
    EXPECT_EQ(model().junkSelection(), selection);

    view->setExpanded(JunkKind::trash, true);
    view->trashActions()->emptyButton()->click();
    ASSERT_NE(question(*view), nullptr);
    test::boxButton(*question(*view), "Cancel")->click();
    QApplication::processEvents();
    EXPECT_EQ(*emptied, 0);
    QTest::keyClick(view->askEmptyTrash(), Qt::Key_Return); // Return goes ahead
    EXPECT_TRUE(test::waitFor(model(), &StorageModel::junkNoticeChanged, [&] { return *emptied == 1; }));
}

TEST_F(JunkViewTest, KeysAndClicksToggleOpenAndShowTheMenu) {
    scanJunk();
    model().setJunkNotice(Notice::make("Freed 1 KB.", false));
    showActive(*view);
    ui::JunkTreeView& list = *view->list();
    list.setFocus();
    list.setCurrentIndex(category(JunkKind::appCaches));
    QTest::keyClick(&list, Qt::Key_Right);
    EXPECT_TRUE(view->expanded().contains(JunkKind::appCaches));
    QTest::keyClick(&list, Qt::Key_Down);
    const QModelIndex first = child(JunkKind::appCaches, 0);
    ASSERT_EQ(list.currentIndex(), first);
    const JunkItem item = *rows().item(first);
    ASSERT_TRUE(model().junkSelection().contains(item.id()));
    QSignalSpy repaint(&rows(), &QAbstractItemModel::dataChanged);
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_FALSE(model().junkSelection().contains(item.id()));
    EXPECT_FALSE(repaint.isEmpty());
    EXPECT_EQ(at(category(JunkKind::appCaches)).check, CheckState::mixed);
    list.setCurrentIndex(category(JunkKind::appCaches));
    QTest::keyClick(&list, Qt::Key_Space); // on the category row: the whole group
    EXPECT_EQ(model().checkState(JunkKind::appCaches), CheckState::on);
    QTest::keyClick(&list, Qt::Key_Left);
    EXPECT_FALSE(view->expanded().contains(JunkKind::appCaches));

    // A click on a category's label only opens it; one on an item's check box toggles the item.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualRect(category(JunkKind::appCaches)).center());
    EXPECT_TRUE(list.isExpanded(category(JunkKind::appCaches)));
    EXPECT_EQ(model().checkState(JunkKind::appCaches), CheckState::on);
    const QRect box = ui::JunkRowDelegate::checkBoxRect(list.visualRect(first), RowType::item);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_FALSE(model().junkSelection().contains(item.id()));
    EXPECT_EQ(model().checkState(JunkKind::appCaches), CheckState::mixed);

    // The notice goes when dismissed, through the model.
    view->notice()->dismissButton()->click();
    EXPECT_FALSE(model().junkNotice().has_value());
    EXPECT_FALSE(view->notice()->isVisibleTo(view.get()));

    list.setFocus();
    list.setCurrentIndex(first);
    QTest::keyClick(&list, Qt::Key_F10, Qt::ShiftModifier);
    choose(view->findChild<QMenu*>(), 1, 0);
    EXPECT_EQ(workspace.revealed, std::vector<std::vector<fs::path>>{{item.url}});
    QTest::keyClick(view.get(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_FALSE(model().scanningJunk().empty()) << "Ctrl+R rescans";
    junkScansDone();
}

} // namespace
} // namespace brisklet
