#include "ui/tray/TrayController.h"

#include "app/MemoryModel.h"
#include "ui/components/Confirmation.h"
#include "ui/theme/Palette.h"
#include "ui/tray/TrayIconPainter.h"
#include "ui/tray/TrayPanel.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace brisklet::ui {

TrayController::TrayController(StorageModel& storage, MemoryModel& memory, std::function<void()> showWindow,
                               Autostart loginItem, QObject* parent)
    : QObject(parent), m_memory(memory), m_showWindow(std::move(showWindow)), m_loginItem(std::move(loginItem)),
      m_panel(std::make_unique<TrayPanel>(storage, memory, m_showWindow)) {
    m_menu.addAction(QStringLiteral("Open brisklet"), this, [this] {
        if (m_showWindow) m_showWindow();
    });
    m_freeUpAction = m_menu.addAction(QStringLiteral("Free Up RAM"), &m_memory, &MemoryModel::freeUpRAM);
    m_menu.addSeparator();
    m_startAtLogin = m_menu.addAction(QStringLiteral("Start at Login"));
    m_startAtLogin->setCheckable(true);
    connect(m_startAtLogin, &QAction::triggered, this, &TrayController::setStartAtLogin);
    connect(&m_menu, &QMenu::aboutToShow, this, &TrayController::showLoginItemState);
    showLoginItemState();
    m_menu.addSeparator();
    m_menu.addAction(QStringLiteral("Quit brisklet"), qApp, &QApplication::quit);
    m_tray.setContextMenu(&m_menu);

    connect(&m_tray, &QSystemTrayIcon::activated, this, &TrayController::activated);
    connect(&m_memory, &MemoryModel::snapshotChanged, this, &TrayController::updateIcon);
    connect(&m_memory, &MemoryModel::isPurgingChanged, this,
            [this] { m_freeUpAction->setEnabled(!m_memory.isPurging()); });

    redraw(TrayIconPainter::percentText(m_memory.snapshot()), m_memory.snapshot().pressure);
    m_freeUpAction->setEnabled(!m_memory.isPurging());
    if (QSystemTrayIcon::isSystemTrayAvailable()) m_tray.show();
}

TrayController::~TrayController() = default;

void TrayController::updateIcon() {
    const MemorySnapshot& snapshot = m_memory.snapshot();
    const QString text = TrayIconPainter::percentText(snapshot);
    if (text == m_iconText && snapshot.pressure == m_iconPressure) return;
    redraw(text, snapshot.pressure);
}

void TrayController::redraw(const QString& text, MemoryPressure pressure) {
    m_iconText = text;
    m_iconPressure = pressure;
    m_tray.setIcon(TrayIconPainter::icon(m_iconText, m_iconPressure));
    ++m_redraws;
    m_tray.setToolTip(QStringLiteral("Memory ") + m_iconText + QStringLiteral(" used · ") +
                      pressureLabel(m_iconPressure));
}

void TrayController::setStartAtLogin(bool on) {
    const Autostart::Result result = on ? m_loginItem.turnOn() : m_loginItem.turnOff();
    showLoginItemState();
    if (result.status == Autostart::Status::failed) {
        tellLoginItemFailed(result);
    } else if (result.status == Autostart::Status::edited) {
        const QString file = QString::fromStdString(m_loginItem.file().string());
        confirm(nullptr,
                {QStringLiteral("Remove the Changed Login Item?"),
                 QStringLiteral("“%1” was changed since brisklet wrote it. If you remove it, brisklet "
                                "no longer starts at login.")
                     .arg(file),
                 QStringLiteral("Remove")},
                [self = QPointer<TrayController>(this)] {
                    if (!self) return;
                    const Autostart::Result removed = self->m_loginItem.turnOff(true);
                    self->showLoginItemState();
                    if (removed.status == Autostart::Status::failed) self->tellLoginItemFailed(removed);
                });
    }
}

void TrayController::showLoginItemState() {
    m_startAtLogin->setChecked(m_loginItem.isOn());
}

void TrayController::tellLoginItemFailed(const Autostart::Result& result) {
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("brisklet"),
                                QStringLiteral("brisklet couldn't change its login item."), QMessageBox::Ok);
    box->setObjectName(QStringLiteral("loginItemFailed"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextFormat(Qt::PlainText);
    box->setInformativeText(QString::fromStdString(m_loginItem.file().string()) + QStringLiteral(": ") +
                            QString::fromStdString(result.error));
    box->open();
}

void TrayController::activated(QSystemTrayIcon::ActivationReason reason) {
    if (reason != QSystemTrayIcon::Trigger) return;
    if (m_panel->isVisible()) {
        m_panel->hide();
        return;
    }
    m_panel->showNear(m_tray.geometry());
}

} // namespace brisklet::ui
