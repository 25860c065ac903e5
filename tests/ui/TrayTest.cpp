#include "ui/tray/TrayController.h"

#include "ui/PageFixture.h"
#include "ui/theme/Palette.h"
#include "ui/tray/TrayIconPainter.h"
#include "ui/tray/TrayPanel.h"

#include <QPointer>
#include <QToolButton>

namespace brisklet::ui {
namespace {

using test::near;

RunningApp app(pid_t pid, std::string name) {
    return RunningApp{pid, {pid}, name, name, {}, {}, {}};
}

TEST(TrayIconPainterTest, ChipIsFilledInTheLevelsHueDeepEnoughForWhiteDigits) {
    test::ensureQApplication();
    const Palette light(QPalette(QColor(236, 236, 236)));
    for (const MemoryPressure level :
         {MemoryPressure::normal, MemoryPressure::warning, MemoryPressure::critical}) {
        const QColor chip = TrayIconPainter::chipColor(level);
        const auto linear = [](double c) {
            return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        const double lum =
            0.2126 * linear(chip.redF()) + 0.7152 * linear(chip.greenF()) + 0.0722 * linear(chip.blueF());
        EXPECT_GE(1.05 / (lum + 0.05), 3.5) << chip.name().toStdString();
        EXPECT_NEAR(chip.hslHue(), light.pressureColor(level).hslHue(), 12);
    }
}

TEST(TrayIconPainterTest, ChipWithPinsCarriesTheDigitsAtEveryTraySizeAndDensity) {
    // The figure rounds as the rings' does; a machine that reports no memory reads zero.
    EXPECT_EQ(TrayIconPainter::percentText({.total = 1000, .app = 625}), "63%");
    EXPECT_EQ(TrayIconPainter::percentText({.total = 0, .app = 500}), "0%");
    test::ensureQApplication();
    const QColor chip = TrayIconPainter::chipColor(MemoryPressure::normal);
    const int size = 22;
    for (const qreal ratio : {1.0, 2.0}) {
        SCOPED_TRACE(testing::Message() << ratio << "x");
        const QImage image = TrayIconPainter::paint("63%", MemoryPressure::normal, size, ratio);
        ASSERT_EQ(image.size(), QSize(size, size) * ratio);
        const int side = image.width();
        const auto count = [&](int rows, const QColor& want, int tolerance, int alpha) {
            int n = 0;
            for (int y = 0; y < rows; ++y)
                for (int x = 0; x < side; ++x)
                    n += image.pixelColor(x, y).alpha() >= alpha &&
                         near(image.pixelColor(x, y), want, tolerance);
            return n;
        };
        EXPECT_GT(count(side, chip, 8, 255), side * side / 4) << "the chip's body is its backdrop";
        EXPECT_GT(count(side, Qt::white, 30, 255), side * side / 16)
            << "the digits must be large enough to read";
        // The top row is pins with gaps between them, not a solid edge.
        const int pins = count(1, Qt::black, 255, 201);
        EXPECT_GT(pins, 0);
        EXPECT_LT(pins, side / 2);
        EXPECT_NE(image, TrayIconPainter::paint("18%", MemoryPressure::normal, size, ratio));
        EXPECT_NE(image, TrayIconPainter::paint("63%", MemoryPressure::critical, size, ratio));
    }
}

// The follow-up refresh after a quit comes at once; the purge waits for the test, then fails.
class TrayTest : public test::PageFixture {
protected:
    TrayTest() {
        proc.memInfo(16 * kGiB, 6 * kGiB, 4 * kGiB);
        refreshSoonDelay = std::chrono::milliseconds(1);
    }
    void start() { context(true); }
    // The login item lives in the fixture's own configuration folder.
    Autostart loginItem() const { return Autostart(storage.tree.path("config"), "/usr/bin/brisklet"); }
    static QList<QToolButton*> quitButtons(TrayPanel& panel) {
        return panel.appsBox()->findChildren<QToolButton*>();
    }
    // The top-level message box of that name that is showing.
    static QMessageBox* shownBox(const QString& name) {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(widget);
                box && box->objectName() == name && box->isVisible())
                return box;
        return nullptr;
    }
};

TEST_F(TrayTest, PanelListsTheRunningAppsAndQuitsOneAtOnce) {
    for (pid_t pid : {100, 200, 300})
        proc.add({.pid = pid, .name = "app", .footprintKiB = 1000u * pid});
    running.apps = {app(100, "Editor"), app(200, "Browser"), app(300, "Mail")};
    running.politeQuitEnds = true;
    start();
    ASSERT_EQ(memory->apps().size(), 3u);
    TrayPanel panel(model(), *memory, [] {});

    const QList<QToolButton*> buttons = quitButtons(panel);
    ASSERT_EQ(buttons.size(), 3);
    EXPECT_EQ(buttons[0]->toolTip(), "Quit Mail");
    buttons[0]->click();
    EXPECT_EQ(running.quitRequests, std::vector<pid_t>{300});
    EXPECT_TRUE(running.forceQuitRequests.empty());

    // The app that quit leaves the list with the refresh that follows shortly.
    ASSERT_TRUE(
        test::waitFor(*memory, &MemoryModel::appsChanged, [&] { return quitButtons(panel).size() == 2; }));
    EXPECT_EQ(quitButtons(panel)[0]->toolTip(), "Quit Browser");
}

TEST_F(TrayTest, IconFollowsTheFigureAndLevelMenuAndPanelOpenTheWindowStartAtLoginFollowsTheItem) {
    start();
    int shown = 0;
    TrayController tray(
        model(), *memory, [&] { ++shown; }, loginItem());
    const int first = tray.iconRedraws();
    EXPECT_EQ(tray.trayIcon().toolTip(), "Memory 38% used · Pressure normal");

    // A new snapshot with the same rounded figure and level leaves the icon alone.
    QSignalSpy snapshots(memory.get(), &MemoryModel::snapshotChanged);
    proc.memInfo(16 * kGiB, 6 * kGiB + 1024, 4 * kGiB);
    memory->refreshStats();
    ASSERT_EQ(snapshots.count(), 1);
    EXPECT_EQ(tray.iconRedraws(), first);

    proc.memInfo(16 * kGiB, 8 * kGiB, 4 * kGiB);
    memory->refreshStats();
    EXPECT_EQ(tray.iconRedraws(), first + 1);

    // The same figure at a higher level is a new icon: the glyph takes the level's colour.
    proc.memInfo(16 * kGiB, 9 * kGiB, 4 * kGiB);
    memory->refreshStats();
    ASSERT_EQ(tray.iconRedraws(), first + 2);
    storage.tree.text("proc/pressure/memory", "some avg10=20.00 avg60=0.00 avg300=0.00 total=0\n"
                                              "full avg10=0.00 avg60=0.00 avg300=0.00 total=0\n");
    memory->refreshStats();
    ASSERT_EQ(memory->snapshot().pressure, MemoryPressure::warning);
    EXPECT_EQ(tray.iconRedraws(), first + 3);
    EXPECT_EQ(tray.trayIcon().toolTip(), "Memory 56% used · Pressure high");

    // The menu's first entry and the panel's button open the window.
    tray.menu().actions().first()->trigger();
    EXPECT_EQ(shown, 1);
    // Where the tray reports no geometry, the panel still opens, by the pointer.
    tray.panel().showNear({});
    ASSERT_TRUE(tray.panel().isVisible());
    for (QPushButton* button : tray.panel().findChildren<QPushButton*>())
        if (button->text() == "Open brisklet") button->click();
    EXPECT_EQ(shown, 2);
    EXPECT_FALSE(tray.panel().isVisible());

    QAction& startAtLogin = tray.startAtLoginAction();
    EXPECT_TRUE(tray.menu().actions().contains(&startAtLogin));
    EXPECT_FALSE(startAtLogin.isChecked());
    // Checking it writes the entry; unchecking removes it again.
    startAtLogin.trigger();
    EXPECT_TRUE(loginItem().isOn());
    EXPECT_TRUE(startAtLogin.isChecked());
    startAtLogin.trigger();
    EXPECT_FALSE(loginItem().isOn());
    EXPECT_FALSE(startAtLogin.isChecked());
    // Each time the menu opens, the mark shows what is on disk now.
    ASSERT_EQ(loginItem().turnOn().status, Autostart::Status::done);
    emit tray.menu().aboutToShow();
    EXPECT_TRUE(startAtLogin.isChecked());

    // An entry edited by hand stays until the user says to remove it.
    const std::filesystem::path file = loginItem().file();
    storage.tree.text("config/autostart/org.brisklet.Brisklet.desktop",
                      "[Desktop Entry]\nType=Application\nExec=x\n");
    startAtLogin.trigger();
    QMessageBox* box = shownBox("confirmation");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->informativeText().contains(QString::fromStdString(file.string())));
    test::boxButton(*box, "Cancel")->click();
    EXPECT_TRUE(std::filesystem::exists(file));
    startAtLogin.trigger();
    box = shownBox("confirmation");
    ASSERT_NE(box, nullptr);
    test::boxButton(*box, "Remove")->click();
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(startAtLogin.isChecked());

    // Where the entry cannot be written, the mark stays off and a message names the folder.
    std::filesystem::remove_all(storage.tree.path("config"));
    storage.tree.text("config", "a file where the folder should be");
    startAtLogin.trigger();
    EXPECT_FALSE(startAtLogin.isChecked());
    box = shownBox("loginItemFailed");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->informativeText().contains("autostart"));
    box->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
} // namespace brisklet::ui
