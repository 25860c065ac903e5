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

class EmptyState;
class FolderButton;
class LargeFilesListModel;
class LargeFilesListView;
class LargeFilesSectionHeader;
class LargeFilesSizePicker;
class NoticeView;
class PageHeader;
class SelectionBar;

// The Large Files page: the biggest files under a folder the user picks, above a size the user
// picks, each with a check box, and the bar that moves the selected ones to the Trash. Everything
// shown is read from the storage model; the page itself keeps only the question it is asking.
class LargeFilesView final : public QWidget {
    Q_OBJECT

public:
    // What the content area shows, in the order the page decides it.
    enum class Content { scanning, notScanned, nothingFound, results };

    // `home` is where the "~" of locations stands.
    LargeFilesView(const PageContext& context, QWidget* parent = nullptr);
    LargeFilesView(const PageContext& context, std::filesystem::path home, QWidget* parent = nullptr);
    ~LargeFilesView() override;

    void setHome(std::filesystem::path home);

    Content content() const;
    PageHeader* header() const { return m_header; }
    LargeFilesSizePicker* sizePicker() const { return m_picker; }
    FolderButton* folderButton() const { return m_folder; }
    QPushButton* rescanButton() const { return m_rescan; }
    NoticeView* notice() const { return m_notice; }
    QLabel* scanningLabel() const { return m_scanningLabel; }
    EmptyState* emptyState() const { return m_empty; }
    LargeFilesSectionHeader* sectionHeader() const { return m_section; }
    LargeFilesListView* list() const { return m_list; }
    LargeFilesListModel* model() const { return m_model; }
    SelectionBar* actionBar() const { return m_actionBar; }

    // The question, worded from the selection as it is now; an open one is brought back.
    QMessageBox* askTrash();
    // The row's menu, opened at `globalPos`; null for no row.
    QMenu* openMenu(const QModelIndex& index, const QPoint& globalPos);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rescan();
    void chooseSize(std::int64_t bytes);
    void toggle(const QModelIndex& index);
    void open(const QModelIndex& index);
    void updateRoot();
    void updateScanning();
    void updateContent();
    void updateNotice();
    void updateSelection();
    void rebuildColors();
    QString homeRelative(const std::filesystem::path& path) const;

    const PageContext m_context;
    std::filesystem::path m_home;
    LargeFilesListModel* m_model;
    PageHeader* m_header;
    LargeFilesSizePicker* m_picker;
    FolderButton* m_folder;
    QPushButton* m_rescan;
    QWidget* m_noticeRow;
    NoticeView* m_notice;
    QStackedWidget* m_content;
    QLabel* m_scanningLabel;
    EmptyState* m_empty;
    LargeFilesSectionHeader* m_section;
    LargeFilesListView* m_list;
    SelectionBar* m_actionBar;
    QPointer<QMessageBox> m_confirmTrash;
    bool m_refocusList = false;
};

} // namespace brisklet::ui
