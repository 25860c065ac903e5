#pragma once

#include "ui/pages/PageContext.h"

#include <QModelIndex>
#include <QPointer>
#include <QWidget>

#include <filesystem>

class QLabel;
class QMenu;
class QMessageBox;
class QPushButton;
class QStackedWidget;

namespace brisklet::ui {

class Card;
class EmptyState;
class FolderButton;
class NodeModulesListModel;
class NodeModulesListView;
class NodeModulesRowDelegate;
class NodeModulesSectionHeader;
class NoticeView;
class PageHeader;
class SelectionBar;

// The node_modules page: the dependency folders found under a folder the user picks, each with its
// project, size and last edit, a check box, and the bar that deletes the selected ones for good.
// Everything shown is read from the storage model; the page keeps only the question it is asking.
class NodeModulesView final : public QWidget {
    Q_OBJECT

public:
    // The content shown below the header, in the order they are tested.
    enum class Content { scanning, notScanned, nothingFound, results };

    // `home` is where the "~" of locations stands.
    explicit NodeModulesView(const PageContext& context, QWidget* parent = nullptr);
    NodeModulesView(const PageContext& context, std::filesystem::path home, QWidget* parent = nullptr);
    ~NodeModulesView() override;

    void setHome(std::filesystem::path home);

    Content content() const;
    PageHeader* header() const { return m_header; }
    FolderButton* folderButton() const { return m_folder; }
    QPushButton* rescanButton() const { return m_rescan; }
    NoticeView* notice() const { return m_notice; }
    QLabel* scanningLabel() const { return m_scanningLabel; }
    EmptyState* notScanned() const { return m_notScanned; }
    EmptyState* nothingFound() const { return m_nothingFound; }
    NodeModulesSectionHeader* sectionHeader() const { return m_section; }
    NodeModulesListView* list() const { return m_list; }
    NodeModulesListModel* model() const { return m_model; }
    SelectionBar* actionBar() const { return m_actionBar; }

    // The question before deleting, worded from the selection as it is now; an open one is brought back.
    QMessageBox* askDelete();
    // The row's menu, opened at `globalPos`; null for a row that is gone.
    QMenu* openMenu(const QModelIndex& index, const QPoint& globalPos);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setFolderButton();
    void rescan();
    void toggle(const QModelIndex& index);
    void reveal(const QModelIndex& index);
    void selectAll();
    void updateHeader();
    void updateContent();
    void updateTexts();
    void updateNotice();
    void updateBar();
    void rebuildColors();

    const PageContext m_context;
    std::filesystem::path m_home;
    NodeModulesListModel* m_model;
    PageHeader* m_header;
    QWidget* m_accessory;
    FolderButton* m_folder = nullptr;
    QPushButton* m_rescan;
    QWidget* m_noticeRow;
    NoticeView* m_notice;
    QStackedWidget* m_content;
    QWidget* m_scanning;
    QLabel* m_scanningLabel;
    EmptyState* m_notScanned;
    EmptyState* m_nothingFound;
    QWidget* m_results;
    Card* m_panel;
    NodeModulesSectionHeader* m_section;
    NodeModulesListView* m_list;
    NodeModulesRowDelegate* m_delegate;
    SelectionBar* m_actionBar;
    QPointer<QMessageBox> m_confirmDelete;
    // The list had the keyboard when a search took its place.
    bool m_refocusList = false;
};

} // namespace brisklet::ui
