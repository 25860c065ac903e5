#include "ui/Application.h"

#include "core/desktop/DesktopEntry.h"
#include "host/DesktopId.h"
#include "support/GuiApplication.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace brisklet {
namespace {

// The names the program gives itself must be the ones its installed desktop entry uses, or docks
// and task bars show the window and the tray item apart from the menu's entry.
TEST(DesktopIdentity, WindowAndTrayCarryTheDesktopEntrysName) {
    setDesktopIdentity();
    test::ensureQApplication();
    const std::optional<DesktopEntry> entry = DesktopEntry::read(BRISKLET_DESKTOP_ENTRY_PATH);
    ASSERT_TRUE(entry.has_value());
    const QString fileId = QString::fromStdString(entry->path.stem().string());
    EXPECT_EQ(fileId, QString::fromLatin1(kDesktopId));
    // Wayland's app id and KDE's X11 hint.
    EXPECT_EQ(QGuiApplication::desktopFileName(), fileId);
    // The tray item's id, and the class of the X11 window that GNOME and docks match.
    EXPECT_EQ(QCoreApplication::applicationName(), fileId);
    EXPECT_EQ(QString::fromStdString(entry->value("StartupWMClass").value_or("")), fileId);
    EXPECT_EQ(QString::fromStdString(entry->value("Icon").value_or("")), fileId);
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "brisklet");
}

} // namespace
} // namespace brisklet
