#pragma once

#include "core/junk/JunkKind.h"
#include "ui/pages/PageContext.h"

#include <QModelIndex>
#include <QPointer>
#include <QWidget>

#include <filesystem>
#include <set>

class QMenu;
class QMessageBox;
class QPushButton;
class QTimer;

namespace brisklet::ui {

class JunkRowDelegate;
class JunkTrashActions;
class JunkTreeModel;
class JunkTreeView;
class NoticeView;
class PageHeader;
class SelectionBar;

// The System Junk page: the five junk kinds as groups that open onto their items, each with a
// check box, and the bar that cleans the selection. Everything shown is read from the storage model;
// the page itself keeps only which groups are open and which question is being asked.
class JunkView final : public QWidget {
    Q_OBJECT

public:
    // `home` is where the "~" of item locations stands.
    JunkView(const PageContext& context, QWidget* parent = nullptr);
    JunkView(const PageContext& context, std::filesystem::path home, QWidget* parent = nullptr);
    ~JunkView() override;

    void setHome(std::filesystem::path home);

    PageHeader* header() const { return m_header; }
    QPushButton* rescanButton() const { return m_rescan; }
    NoticeView* notice() const { return m_notice; }
    JunkTreeView* list() const { return m_list; }
    JunkTreeModel* model() const { return m_model; }
    JunkTrashActions* trashActions() const { return m_trashActions; }
    SelectionBar* actionBar() const { return m_actionBar; }
    const std::set<JunkKind>& expanded() const { return m_expanded; }

    void setExpanded(JunkKind kind, bool open);
    // The questions, worded from the selection as it is now; an open one is brought back.
    QMessageBox* askClean();
    QMessageBox* askEmptyTrash();
    // The row's menu, opened at `globalPos`; null for rows without one.
    QMenu* openMenu(const QModelIndex& index, const QPoint& globalPos);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rescan();
    void toggle(const QModelIndex& index);
    void updateHeader();
    void updateNotice();
    void updateBar();
    void updateTrashActions();
    void updateSpinner();
    void reopenGroup(const QModelIndex& parent);
    void rebuildColors();

    const PageContext m_context;
    JunkTreeModel* m_model;
    PageHeader* m_header;
    QPushButton* m_rescan;
    QWidget* m_noticeRow;
    NoticeView* m_notice;
    JunkTreeView* m_list;
    JunkRowDelegate* m_delegate;
    JunkTrashActions* m_trashActions;
    SelectionBar* m_actionBar;
    QTimer* m_spinnerTimer;
    int m_spinnerStep = 0;
    std::set<JunkKind> m_expanded;
    QPointer<QMessageBox> m_confirmClean;
    QPointer<QMessageBox> m_confirmTrash;
};

} // namespace brisklet::ui
