#pragma once

#include "core/proc/MemorySnapshot.h"
#include "host/Autostart.h"

#include <QMenu>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

namespace brisklet {
class MemoryModel;
class StorageModel;
} // namespace brisklet

namespace brisklet::ui {

class TrayPanel;

// The program's item in the desktop's tray: an icon showing how much memory is in use, the panel
// it opens, and a menu with the main actions for trays that only show menus. Where the desktop has
// no tray, nothing shows and the window stays the way in. The menu also holds "Start at Login",
// which writes or removes the login item.
class TrayController final : public QObject {
    Q_OBJECT

public:
    // The models must outlive the controller; `showWindow` brings the main window to the front;
    // `loginItem` is the entry "Start at Login" writes.
    TrayController(StorageModel& storage, MemoryModel& memory, std::function<void()> showWindow,
                   Autostart loginItem, QObject* parent = nullptr);
    ~TrayController() override;

    QSystemTrayIcon& trayIcon() { return m_tray; }
    TrayPanel& panel() { return *m_panel; }
    QMenu& menu() { return m_menu; }
    QAction& startAtLoginAction() { return *m_startAtLogin; }
    // How often the icon was painted: only when the figure or the pressure level changed.
    int iconRedraws() const { return m_redraws; }

private:
    void updateIcon();
    void redraw(const QString& text, MemoryPressure pressure);
    void activated(QSystemTrayIcon::ActivationReason reason);
    void setStartAtLogin(bool on);
    // The check mark follows the file, which the user or another tool may change at any time.
    void showLoginItemState();
    void tellLoginItemFailed(const Autostart::Result& result);

    MemoryModel& m_memory;
    std::function<void()> m_showWindow;
    Autostart m_loginItem;
    std::unique_ptr<TrayPanel> m_panel;
    QMenu m_menu;
    QAction* m_freeUpAction = nullptr;
    QAction* m_startAtLogin = nullptr;
    QSystemTrayIcon m_tray;
    // What the icon shows now, so that an unchanged figure costs no repaint.
    QString m_iconText;
    MemoryPressure m_iconPressure = MemoryPressure::normal;
    int m_redraws = 0;
};

} // namespace brisklet::ui
