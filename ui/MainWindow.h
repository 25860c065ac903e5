#pragma once

#include "ui/Page.h"

#include <QWidget>

#include <optional>

class QStackedWidget;

namespace brisklet {
class MemoryModel;
class StorageModel;
class Workspace;
} // namespace brisklet

namespace brisklet::ui {

class SidebarDisk;
class SidebarModel;
class SidebarView;

// The main window: the page list with the disk summary below it, and the selected page beside it.
class MainWindow final : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize openingSize{1140, 780};
    static constexpr QSize smallestSize{960, 640};
    static constexpr int sidebarWidth = 230;
    static constexpr int sidebarMinimum = 210;
    static constexpr int sidebarMaximum = 280;
    static constexpr int diskInset = 12;

    // The models and the workspace must outlive the window.
    MainWindow(StorageModel& storage, MemoryModel& memory, Workspace& workspace, QWidget* parent = nullptr);

    // The page shown: the selected one, or the overview when nothing is selected.
    Page page() const;
    void setPage(std::optional<Page> page);

    SidebarView* sidebar() const { return m_sidebar; }
    SidebarModel* sidebarModel() const { return m_sidebarModel; }
    SidebarDisk* sidebarDisk() const { return m_disk; }
    QStackedWidget* detail() const { return m_detail; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildSidebar();
    void showSelectedPage();

    StorageModel& m_storage;
    MemoryModel& m_memory;
    SidebarModel* m_sidebarModel;
    SidebarView* m_sidebar = nullptr;
    SidebarDisk* m_disk = nullptr;
    QStackedWidget* m_detail;
    bool m_startedUp = false;
};

} // namespace brisklet::ui
