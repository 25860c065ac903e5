#pragma once

#include <QRect>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace brisklet {
class MemoryModel;
class StorageModel;
} // namespace brisklet

namespace brisklet::ui {

class PercentRing;
class PressurePill;

// The tray's panel: memory and storage at a glance, the heaviest apps with a one-click quit, the
// memory model's last notice and its main actions. A popup, so it closes as soon as it loses focus.
class TrayPanel final : public QWidget {
    Q_OBJECT

public:
    static constexpr int panelWidth = 320;
    static constexpr int margin = 16;
    static constexpr int spacing = 14;
    static constexpr int appRowLimit = 5;

    // The models must outlive the panel.
    TrayPanel(StorageModel& storage, MemoryModel& memory, std::function<void()> showWindow,
              QWidget* parent = nullptr);

    // Opens by the icon, or by the pointer where the tray reports no geometry for it.
    void showNear(const QRect& iconGeometry);

    // What the tests and the tray's menu look at.
    QPushButton* freeUpButton() const { return m_freeUp; }
    QLabel* noticeLabel() const { return m_notice; }
    QWidget* appsBox() const { return m_apps; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateMemory();
    void updateStorage();
    void rebuildApps();
    void updateNotice();
    void updatePurging();
    void recolor();

    StorageModel& m_storage;
    MemoryModel& m_memory;
    std::function<void()> m_showWindow;

    PressurePill* m_pill = nullptr;
    PercentRing* m_memoryRing = nullptr;
    QLabel* m_memoryValue = nullptr;
    PercentRing* m_storageRing = nullptr;
    QLabel* m_storageValue = nullptr;
    QWidget* m_apps = nullptr;
    QVBoxLayout* m_appsLayout = nullptr;
    QLabel* m_notice = nullptr;
    QPushButton* m_freeUp = nullptr;
    QPushButton* m_quit = nullptr;
    QList<QLabel*> m_secondaryLabels;
    // What the app rows show now, one entry per row, to tell a real change from a repeat.
    QStringList m_appRows;
    bool m_appsBuilt = false;
};

} // namespace brisklet::ui
