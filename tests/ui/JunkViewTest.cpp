#include "ui/pages/JunkView.h"

#include "app/MemoryModel.h"
#include "app/StorageFixture.h"
#include "core/fs/Bytes.h"
#include "core/junk/PlatformTexts.h"
#include "host/Fakes.h"
#include "support/ProcTree.h"
#include "support/SignalWait.h"
#include "ui/WidgetImage.h"
#include "ui/components/IconCache.h"
#include "ui/components/NoticeView.h"
#include "ui/components/ProminentButton.h"
#include "ui/components/SelectionBar.h"
#include "ui/pages/JunkRowDelegate.h"
#include "ui/pages/JunkTrashActions.h"
#include "ui/pages/JunkTreeModel.h"
#include "ui/pages/JunkTreeView.h"

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPersistentModelIndex>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ui::JunkTreeModel;
using Row = JunkTreeModel::Row;
using RowType = JunkTreeModel::RowType;
using Trailing = JunkTreeModel::Trailing;

constexpr std::size_t kKB = 1000;

QString text(std::string_view words) {
    return QString::fromUtf8(words.data(), static_cast<qsizetype>(words.size()));
}

// The junk page over the real storage model on a fixture home: two app caches, no logs, and a Trash
// holding one file, unless a test changes that before scanning.
class JunkViewTest : public test::GuiTest {
protected:
    JunkViewTest() {
        ui::IconCache::setService([](const fs::path&) { return QIcon(); });
        storage.tree.file("home/.cache/alpha/data", 300 * kKB);
        storage.tree.file("home/.cache/beta/data", 120 * kKB);
        storage.tree.file("home/.local/share/Trash/files/old.pdf", 200 * kKB);
        storage.services.emptyTrash = [this](const Locations&) {
            ++emptied;
            return Outcome::failed("no emptying in this test");
        };
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
        view = std::make_unique<ui::JunkView>(ui::PageContext{*storage.model, *memory, workspace, {}},
                                              storage.home);
        view->resize(900, 700);
    }

    ~JunkViewTest() override {
        view.reset();
        ui::IconCache::setService({});
    }

    StorageModel& model() { return *storage.model; }
    JunkTreeModel& rows() { return *view->model(); }
    QModelIndex category(JunkKind kind) { return rows().categoryIndex(kind); }
    QModelIndex child(JunkKind kind, int row) { return rows().index(row, 0, category(kind)); }
    Row at(const QModelIndex& index) { return rows().row(index); }
    ui::SelectionBar& bar() { return *view->actionBar(); }

    // Focus and window shortcuts need the window to be the active one.
    void showActive() {
        view->show();
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    }

    void scan(std::set<JunkKind> kinds = {allJunkKinds.begin(), allJunkKinds.end()}) {
        model().scanJunk(kinds);
        ASSERT_TRUE(test::waitFor(model(), &StorageModel::scanningJunkChanged,
                                  [&] { return model().scanningJunk().empty(); }));
    }

    // The Trash rule reports any listing error but a missing folder, so a file in the folder's place
    // makes the Trash unreadable even for root.
    void makeTrashUnreadable() {
        const fs::path files = storage.home / ".local/share/Trash/files";
        fs::remove_all(files);
        storage.tree.text("home/.local/share/Trash/files", "not a folder");
    }

    test::StorageFixture storage;
    test::ProcTree proc{storage.tree};
    FakeRunningApps running;
    FakeWorkspace workspace;
    std::unique_ptr<MemoryModel> memory;
    std::unique_ptr<ui::JunkView> view;
    int emptied = 0;
};

TEST_F(JunkViewTest, BeforeAnyScanEveryCategoryReadsZeroAndCannotBeChecked) {
    for (const JunkKind kind : allJunkKinds) {
        const Row row = at(category(kind));
        EXPECT_EQ(row.trailing, Trailing::size) << rawValue(kind);
        EXPECT_EQ(row.size, QString::fromStdString(Bytes::disk(0))) << rawValue(kind);
        EXPECT_FALSE(row.checkEnabled) << rawValue(kind);
        EXPECT_FALSE(view->list()->isExpanded(category(kind))) << "groups start closed";
    }
    EXPECT_TRUE(view->expanded().empty());
    EXPECT_FALSE(view->notice()->isVisibleTo(view.get()));
    EXPECT_EQ(bar().sizeText(), QString::fromStdString(Bytes::disk(0)) + " selected");
    EXPECT_EQ(bar().countText(), "0 items · removed permanently");
    EXPECT_FALSE(bar().actionButton()->isEnabled());
    EXPECT_TRUE(view->rescanButton()->isEnabled());

    // While scanning, the spinner stands where the size was, and nothing can start a second scan.
    model().scanJunk({JunkKind::logs});
    EXPECT_EQ(at(category(JunkKind::logs)).trailing, Trailing::scanning);
    EXPECT_EQ(at(category(JunkKind::trash)).trailing, Trailing::size);
    EXPECT_FALSE(view->rescanButton()->isEnabled());
    ASSERT_TRUE(test::waitFor(model(), &StorageModel::scanningJunkChanged,
                              [&] { return model().scanningJunk().empty(); }));
    EXPECT_TRUE(view->rescanButton()->isEnabled());
}

TEST_F(JunkViewTest, CategoryWithNothingFoundIsOffDisabledAndSaysSoWhenOpened) {
    scan();
    const Row logs = at(category(JunkKind::logs));
    EXPECT_EQ(logs.check, CheckState::off);
    EXPECT_FALSE(logs.checkEnabled);
    EXPECT_FALSE(rows().isCheckable(category(JunkKind::logs)));
    view->setExpanded(JunkKind::logs, true);
    ASSERT_EQ(rows().rowCount(category(JunkKind::logs)), 1);
    EXPECT_EQ(at(child(JunkKind::logs, 0)).type, RowType::empty);
    EXPECT_EQ(at(child(JunkKind::logs, 0)).title, "Nothing to clean here.");

    // Space on the disabled category changes nothing.
    view->list()->setFocus();
    view->list()->setCurrentIndex(category(JunkKind::logs));
    const auto before = model().junkSelection();
    QTest::keyClick(view->list(), Qt::Key_Space);
    EXPECT_EQ(model().junkSelection(), before);
}

TEST_F(JunkViewTest, UnreadableTrashNeedsAccessAndOffersOnlyEmptying) {
    makeTrashUnreadable();
    scan();
    EXPECT_EQ(at(category(JunkKind::trash)).trailing, Trailing::needsAccess);
    view->setExpanded(JunkKind::trash, true);
    ASSERT_EQ(rows().rowCount(category(JunkKind::trash)), 1) << "the lock row only, no empty wording";
    EXPECT_EQ(at(child(JunkKind::trash, 0)).type, RowType::trashActions);
    ui::JunkTrashActions& actions = *view->trashActions();
    EXPECT_TRUE(actions.isDenied());
    EXPECT_EQ(actions.text(), text(platformTexts(JunkLayout::freedesktop).trashUnreadable));
    const auto buttons = actions.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons.front()->text(), "Empty Trash…");
    EXPECT_EQ(view->list()->indexWidget(child(JunkKind::trash, 0)), &actions);
}

TEST_F(JunkViewTest, ReadableTrashShowsTheInfoRowAboveItsItems) {
    scan();
    view->setExpanded(JunkKind::trash, true);
    ASSERT_EQ(rows().rowCount(category(JunkKind::trash)), 2);
    EXPECT_EQ(at(child(JunkKind::trash, 0)).type, RowType::trashActions);
    EXPECT_FALSE(view->trashActions()->isDenied());
    EXPECT_EQ(view->trashActions()->text(), text(platformTexts(JunkLayout::freedesktop).trashHint));
    const Row item = at(child(JunkKind::trash, 1));
    EXPECT_EQ(item.type, RowType::item);
    EXPECT_EQ(item.size, QString::fromStdString(Bytes::disk(model().junk().at(JunkKind::trash).size())));

    // An item without a note reads as a home-relative location.
    view->setExpanded(JunkKind::appCaches, true);
    EXPECT_EQ(at(child(JunkKind::appCaches, 0)).detail, "~/.cache/alpha");
    EXPECT_EQ(rows().data(category(JunkKind::appCaches), Qt::AccessibleTextRole).toString(),
              "App Caches, " + at(category(JunkKind::appCaches)).size + ", Selected");
}

TEST_F(JunkViewTest, CleanStaysDisabledWhileAnyKindRescansEvenWithASelection) {
    scan();
    ASSERT_GT(model().selectedJunkSize(), 0);
    EXPECT_TRUE(bar().actionButton()->isEnabled());
    model().scanJunk({JunkKind::logs});
    EXPECT_FALSE(bar().actionButton()->isEnabled());
    EXPECT_FALSE(view->rescanButton()->isEnabled());
    ASSERT_TRUE(test::waitFor(model(), &StorageModel::scanningJunkChanged,
                              [&] { return model().scanningJunk().empty(); }));
    EXPECT_TRUE(bar().actionButton()->isEnabled());
}

TEST_F(JunkViewTest, OneSelectedItemStillReadsItems) {
    scan();
    // Leave only the Trash's file selected.
    for (const JunkKind kind : {JunkKind::appCaches, JunkKind::trash})
        if (model().checkState(kind) != CheckState::off) model().toggle(kind);
    model().toggle(model().junk().at(JunkKind::trash).items.front());
    EXPECT_EQ(bar().countText(), "1 items · removed permanently");
    EXPECT_EQ(bar().sizeText(),
              QString::fromStdString(Bytes::disk(model().junk().at(JunkKind::trash).size())) + " selected");
}

TEST_F(JunkViewTest, ConfirmationsAreWordedFromTheSelectionAndCancelDoesNothing) {
    scan();
    const auto selection = model().junkSelection();
    const QString size = QString::fromStdString(Bytes::disk(model().selectedJunkSize()));
    const QString count = QString::number(model().selectedJunk().size());

    bar().actionButton()->click();
    auto* clean = view->findChild<QMessageBox*>("confirmation");
    ASSERT_NE(clean, nullptr);
    EXPECT_EQ(clean->text(), "Clean " + size + " of junk?");
    EXPECT_EQ(clean->informativeText(),
              count + " selected items are deleted permanently. Apps recreate whatever they still need.");
    ASSERT_NE(test::boxButton(*clean, "Clean"), nullptr);
    ASSERT_NE(test::boxButton(*clean, "Cancel"), nullptr);
    EXPECT_EQ(clean->buttonRole(test::boxButton(*clean, "Clean")), QMessageBox::DestructiveRole);
    QTest::keyClick(clean, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(model().isCleaningJunk());
    EXPECT_EQ(model().junkSelection(), selection);
    EXPECT_TRUE(fs::exists(storage.home / ".cache/alpha"));

    view->setExpanded(JunkKind::trash, true);
    view->trashActions()->emptyButton()->click();
    auto* trash = view->findChild<QMessageBox*>("confirmation");
    ASSERT_NE(trash, nullptr);
    EXPECT_EQ(trash->text(), "Empty the Trash?");
    EXPECT_EQ(trash->informativeText(), "Everything in the Trash is deleted permanently.");
    ASSERT_NE(test::boxButton(*trash, "Empty Trash"), nullptr);
    test::boxButton(*trash, "Cancel")->click();
    QApplication::processEvents();
    EXPECT_EQ(emptied, 0);

    // Return goes ahead.
    QMessageBox* again = view->askEmptyTrash();
    QTest::keyClick(again, Qt::Key_Return);
    EXPECT_TRUE(test::waitFor(model(), &StorageModel::junkNoticeChanged, [&] { return emptied == 1; }));
}

TEST_F(JunkViewTest, KeyboardTogglesOpensAndShowsTheMenuOfTheFocusedRow) {
    scan();
    showActive();
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
    EXPECT_EQ(at(first).check, CheckState::off);
    EXPECT_FALSE(repaint.isEmpty());
    EXPECT_EQ(at(category(JunkKind::appCaches)).check, CheckState::mixed);

    // Space on the category row selects the whole group.
    list.setCurrentIndex(category(JunkKind::appCaches));
    QTest::keyClick(&list, Qt::Key_Space);
    EXPECT_EQ(model().checkState(JunkKind::appCaches), CheckState::on);

    list.setCurrentIndex(first);
    QTest::keyClick(&list, Qt::Key_F10, Qt::ShiftModifier);
    QMenu* menu = view->findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().front()->text(), "Show in Folder");
    menu->actions().front()->trigger();
    ASSERT_EQ(workspace.revealed.size(), 1u);
    EXPECT_EQ(workspace.revealed.front(), std::vector<fs::path>{item.url});
    menu->close();

    list.setCurrentIndex(category(JunkKind::appCaches));
    QTest::keyClick(&list, Qt::Key_Left);
    EXPECT_FALSE(view->expanded().contains(JunkKind::appCaches));

    QTest::keyClick(view.get(), Qt::Key_R, Qt::ControlModifier);
    EXPECT_FALSE(model().scanningJunk().empty()) << "Ctrl+R rescans";
    EXPECT_TRUE(test::waitFor(model(), &StorageModel::scanningJunkChanged,
                              [&] { return model().scanningJunk().empty(); }));
}

TEST_F(JunkViewTest, ClicksToggleOnTheCheckBoxAndOpenTheGroupElsewhereOnItsLabel) {
    scan();
    showActive();
    ui::JunkTreeView& list = *view->list();
    const QRect label = list.visualRect(category(JunkKind::appCaches));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, label.center());
    EXPECT_TRUE(list.isExpanded(category(JunkKind::appCaches)));
    EXPECT_EQ(model().checkState(JunkKind::appCaches), CheckState::on) << "a click on the label only opens";

    const QModelIndex first = child(JunkKind::appCaches, 0);
    const QRect box = ui::JunkRowDelegate::checkBoxRect(list.visualRect(first), RowType::item);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_FALSE(model().junkSelection().contains(rows().item(first)->id()));
    EXPECT_EQ(model().checkState(JunkKind::appCaches), CheckState::mixed);

    // The notice goes when dismissed, through the model.
    model().setJunkNotice(Notice::make("Freed 1 KB.", false));
    EXPECT_TRUE(view->notice()->isVisibleTo(view.get()));
    view->notice()->dismissButton()->click();
    EXPECT_FALSE(model().junkNotice().has_value());
    EXPECT_FALSE(view->notice()->isVisibleTo(view.get()));
}

TEST_F(JunkViewTest, TabVisitsTheControlsInReadingOrder) {
    scan();
    model().setJunkNotice(Notice::make("Freed 1 KB.", false));
    view->setExpanded(JunkKind::trash, true);
    showActive();
    view->rescanButton()->setFocus();
    std::vector<QWidget*> visited{QApplication::focusWidget()};
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    const std::vector<QWidget*> expected{view->rescanButton(), static_cast<QWidget*>(view->notice()->dismissButton()),
                                         view->list(), view->trashActions()->emptyButton(), bar().actionButton()};
    EXPECT_EQ(visited, expected);
}

TEST_F(JunkViewTest, RescanningOneKindLeavesTheOtherKindsRowsAlone) {
    scan();
    view->setExpanded(JunkKind::appCaches, true);
    view->setExpanded(JunkKind::trash, true);
    const QPersistentModelIndex cache(child(JunkKind::appCaches, 1));
    const JunkItem before = *rows().item(cache);
    QSignalSpy removed(&rows(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(&rows(), &QAbstractItemModel::rowsInserted);

    storage.tree.file("home/.local/share/Trash/files/new.iso", 900 * kKB);
    scan({JunkKind::trash});

    ASSERT_EQ(model().junk().at(JunkKind::trash).items.size(), 2u);
    for (const QSignalSpy* signal : {&removed, &inserted}) {
        ASSERT_FALSE(signal->isEmpty());
        for (const auto& call : *signal)
            EXPECT_EQ(call.at(0).value<QModelIndex>(), category(JunkKind::trash)) << "only the Trash's rows change";
    }
    ASSERT_TRUE(cache.isValid());
    EXPECT_EQ(cache.row(), 1);
    EXPECT_EQ(*rows().item(cache), before);
    EXPECT_EQ(rows().rowCount(category(JunkKind::trash)), 3);
    EXPECT_TRUE(view->list()->isExpanded(category(JunkKind::trash))) << "the open group stays open";
    EXPECT_EQ(view->list()->indexWidget(child(JunkKind::trash, 0)), view->trashActions());
}

} // namespace
} // namespace brisklet
