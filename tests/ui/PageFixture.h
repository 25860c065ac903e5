#pragma once

#include "app/MemoryModel.h"
#include "app/StorageFixture.h"
#include "core/fs/Bytes.h"
#include "host/Fakes.h"
#include "support/HeldPurge.h"
#include "support/ProcTree.h"
#include "support/SignalWait.h"
#include "ui/WidgetImage.h"
#include "ui/components/IconCache.h"
#include "ui/components/SelectionBar.h"
#include "ui/pages/PageContext.h"

#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

namespace brisklet::test {

inline QString disk(std::int64_t bytes) {
    return QString::fromStdString(Bytes::disk(bytes));
}

// What every page is built on: the real storage model over a fixture home, the real memory model
// over a fixture /proc of 16 GiB (10 taken by apps), fake running apps and a recording workspace.
// Icons are blank and dates English, so the pages' texts do not depend on the machine. The Trash
// is never really emptied: the count of tries is kept instead.
class PageFixture : public GuiTest {
protected:
    static constexpr std::uint64_t kGiB = 1 << 20; // in KiB, as meminfo counts

    PageFixture() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        ui::IconCache::setService([](const std::filesystem::path&) { return QIcon(); });
        proc.memInfo(16 * kGiB, 10 * kGiB, 2 * kGiB);
        storage.services.emptyTrash = [calls = emptied](const Locations&) {
            ++*calls;
            return Outcome::failed("no emptying in these tests");
        };
    }
    ~PageFixture() override {
        purgeGate.release();
        ui::IconCache::setService({});
        QLocale::setDefault(m_locale);
    }

    // Builds both models once the test has laid out its fixtures; the memory model waits for its
    // first lists when asked to.
    ui::PageContext context(bool waitForApps = false) {
        if (!storage.model) storage.make();
        if (!memory) {
            memory = std::make_unique<MemoryModel>(
                MemoryModel::Services{.runningApps = running,
                                      .workspace = workspace,
                                      .procRoot = proc.root(),
                                      .sysRoot = storage.tree.path("sys"),
                                      .home = storage.home,
                                      .purge = purgeGate.purge(),
                                      .statsInterval = std::chrono::hours(1),
                                      .refreshSoonDelay = refreshSoonDelay,
                                      .purgeSettle = std::chrono::milliseconds(1)},
                storage.pools);
            if (waitForApps) {
                EXPECT_TRUE(QSignalSpy(memory.get(), &MemoryModel::backgroundChanged).wait(30'000));
            }
        }
        return {*storage.model, *memory, workspace,
                [this](std::optional<ui::Page> p) { navigated.push_back(p); }};
    }
    StorageModel& model() { return *storage.model; }

    void scanJunk(std::set<JunkKind> kinds = {allJunkKinds.begin(), allJunkKinds.end()}) {
        model().scanJunk(kinds);
        junkScansDone();
    }
    void junkScansDone() {
        ASSERT_TRUE(waitFor(model(), &StorageModel::scanningJunkChanged,
                            [&] { return model().scanningJunk().empty(); }));
    }
    // The Trash rule reports any listing error but a missing folder, so a file in the folder's place
    // makes the Trash unreadable even for root.
    void makeTrashUnreadable() {
        std::filesystem::remove_all(storage.home / ".local/share/Trash/files");
        storage.tree.text("home/.local/share/Trash/files", "a file where the folder should be");
    }
    // Focus and window shortcuts need the window to be the active one.
    static void showActive(QWidget& window) {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // The confirmation open now: answered ones close and are deleted later.
    static QMessageBox* question(QWidget& page) {
        for (auto* box : page.findChildren<QMessageBox*>("confirmation"))
            if (!box->isHidden()) return box;
        return nullptr;
    }
    // Answers the confirmation open on `page` with the button labelled `label`.
    static void answer(QWidget& page, const QString& label) {
        QMessageBox* open = question(page);
        ASSERT_NE(open, nullptr);
        QPushButton* button = boxButton(*open, label);
        ASSERT_NE(button, nullptr) << label.toStdString();
        button->click();
    }
    // Triggers entry `action` (none when negative) of a context menu of `count` entries, then closes it.
    static void choose(QMenu* menu, int count, int action) {
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->actions().size(), count);
        if (action >= 0) menu->actions().at(action)->trigger();
        menu->close();
    }

    StorageFixture storage;
    ProcTree proc{storage.tree};
    HeldPurge purgeGate{Outcome::failed("Not authorized")};
    FakeRunningApps running;
    FakeWorkspace workspace;
    std::chrono::milliseconds refreshSoonDelay = std::chrono::hours(1);
    std::unique_ptr<MemoryModel> memory;
    std::vector<std::optional<ui::Page>> navigated;
    std::shared_ptr<std::atomic<int>> emptied = std::make_shared<std::atomic<int>>(0);

private:
    const QLocale m_locale;
};

// A page that lists what a search of the storage model found, with a selection bar under the list:
// Large Files and node_modules.
template <typename View> class ListPageFixture : public PageFixture {
protected:
    void build() {
        view = std::make_unique<View>(context(), storage.home);
        view->resize(900, 700);
    }
    auto& rows() { return *view->model(); }
    ui::SelectionBar& bar() { return *view->actionBar(); }
    // Until the model reports, through `changed`, that `busy` is over.
    void waitOut(void (StorageModel::*changed)(), bool (StorageModel::*busy)() const) {
        ASSERT_TRUE(waitFor(model(), changed, [&] { return !(model().*busy)(); }));
    }

    std::unique_ptr<View> view;
};

} // namespace brisklet::test
