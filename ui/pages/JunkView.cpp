#include "ui/pages/JunkView.h"

#include "app/StorageModel.h"
#include "core/fs/Bytes.h"
#include "core/junk/Locations.h"
#include "core/junk/PlatformTexts.h"
#include "host/Workspace.h"
#include "ui/components/Confirmation.h"
#include "ui/components/NoticeView.h"
#include "ui/components/PageHeader.h"
#include "ui/components/SelectionBar.h"
#include "ui/components/Spinner.h"
#include "ui/pages/JunkRowDelegate.h"
#include "ui/pages/JunkTrashActions.h"
#include "ui/pages/JunkTreeModel.h"
#include "ui/pages/JunkTreeView.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace brisklet::ui {

namespace {

constexpr int kListInset = 16;

std::set<JunkKind> everyKind() {
    return {allJunkKinds.begin(), allJunkKinds.end()};
}

} // namespace

JunkView::JunkView(const PageContext& context, QWidget* parent)
    : JunkView(context, Locations::current().home, parent) {}

JunkView::JunkView(const PageContext& context, std::filesystem::path home, QWidget* parent)
    : QWidget(parent), m_context(context), m_model(new JunkTreeModel(context.storage, std::move(home), this)),
      m_spinnerTimer(new QTimer(this)) {
    StorageModel& storage = m_context.storage;
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Built in reading order, which is also the order Tab visits the controls.
    m_header = new PageHeader(QStringLiteral("System Junk"),
                              QStringLiteral("Caches, logs and build leftovers. Apps quietly recreate whatever "
                                             "they still need."),
                              QStringLiteral("sparkles"), Palette::brand(), this);
    m_rescan = new QPushButton(QStringLiteral("Rescan"));
    m_rescan->setAccessibleName(QStringLiteral("Rescan"));
    m_rescan->setToolTip(QStringLiteral("Rescan (Ctrl+R)"));
    m_header->setAccessory(m_rescan);
    column->addWidget(m_header);

    m_noticeRow = new QWidget(this);
    auto* noticeLayout = new QHBoxLayout(m_noticeRow);
    noticeLayout->setContentsMargins(24, 0, 24, 10);
    m_notice = new NoticeView(m_noticeRow);
    m_notice->setDismiss([&storage] { storage.setJunkNotice(std::nullopt); });
    noticeLayout->addWidget(m_notice);
    column->addWidget(m_noticeRow);

    auto* listRow = new QHBoxLayout;
    listRow->setContentsMargins(kListInset, 0, kListInset, 0);
    m_list = new JunkTreeView(this);
    m_list->setModel(m_model);
    m_delegate = new JunkRowDelegate(*m_model, *m_list, [this] { return m_spinnerStep; }, this);
    m_list->setItemDelegate(m_delegate);
    listRow->addWidget(m_list);
    column->addLayout(listRow, 1);

    // The one row that holds real buttons is a widget over its row; it lives as long as the page.
    m_trashActions = new JunkTrashActions;
    m_list->setIndexWidget(m_model->index(0, 0, m_model->categoryIndex(JunkKind::trash)), m_trashActions);

    m_actionBar = new SelectionBar({.count = QStringLiteral("items · removed permanently"),
                                    .action = QStringLiteral("Clean"),
                                    .busy = QStringLiteral("Cleaning")},
                                   this);
    column->addWidget(m_actionBar);

    connect(m_rescan, &QPushButton::clicked, this, &JunkView::rescan);
    auto* rescanKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    connect(rescanKey, &QShortcut::activated, this, &JunkView::rescan);
    connect(m_list, &JunkTreeView::toggleRequested, this, &JunkView::toggle);
    connect(m_list, &JunkTreeView::menuRequested, this, &JunkView::openMenu);
    connect(m_list, &QTreeView::expanded, this,
            [this](const QModelIndex& index) { m_expanded.insert(static_cast<JunkKind>(index.row())); });
    connect(m_list, &QTreeView::collapsed, this,
            [this](const QModelIndex& index) { m_expanded.erase(static_cast<JunkKind>(index.row())); });
    connect(m_model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parent) { reopenGroup(parent); });
    connect(m_trashActions, &JunkTrashActions::emptyRequested, this, &JunkView::askEmptyTrash);
    connect(m_actionBar, &SelectionBar::actionRequested, this, &JunkView::askClean);

    m_spinnerTimer->setInterval(Spinner::tickMilliseconds);
    connect(m_spinnerTimer, &QTimer::timeout, this, [this] {
        ++m_spinnerStep;
        for (const JunkKind kind : m_context.storage.scanningJunk())
            m_list->viewport()->update(m_list->visualRect(m_model->categoryIndex(kind)));
    });

    connect(&storage, &StorageModel::scanningJunkChanged, this, [this] {
        updateHeader();
        updateBar();
        updateSpinner();
    });
    connect(&storage, &StorageModel::isCleaningJunkChanged, this, [this] {
        updateHeader();
        updateBar();
    });
    connect(&storage, &StorageModel::junkSelectionChanged, this, &JunkView::updateBar);
    connect(&storage, &StorageModel::junkChanged, this, [this] {
        updateBar();
        updateTrashActions();
    });
    connect(&storage, &StorageModel::junkNoticeChanged, this, &JunkView::updateNotice);

    updateHeader();
    updateNotice();
    updateBar();
    updateTrashActions();
    rebuildColors();
}

JunkView::~JunkView() = default;

void JunkView::setHome(std::filesystem::path home) {
    m_model->setHome(std::move(home));
}

void JunkView::setExpanded(JunkKind kind, bool open) {
    const QModelIndex index = m_model->categoryIndex(kind);
    m_list->setExpanded(index, open);
    // A group with nothing in it yet still remembers that it was opened.
    if (open)
        m_expanded.insert(kind);
    else
        m_expanded.erase(kind);
}

void JunkView::reopenGroup(const QModelIndex& parent) {
    if (!parent.isValid() || parent.parent().isValid()) return;
    if (m_expanded.contains(static_cast<JunkKind>(parent.row())) && !m_list->isExpanded(parent))
        m_list->setExpanded(parent, true);
}

void JunkView::rescan() {
    if (!m_rescan->isEnabled()) return;
    m_context.storage.scanJunk(everyKind());
}

void JunkView::toggle(const QModelIndex& index) {
    if (!m_model->isCheckable(index)) return;
    if (!index.parent().isValid()) {
        m_context.storage.toggle(static_cast<JunkKind>(index.row()));
    } else if (const JunkItem* item = m_model->item(index)) {
        m_context.storage.toggle(*item);
    }
}

void JunkView::updateHeader() {
    const StorageModel& storage = m_context.storage;
    m_rescan->setEnabled(storage.scanningJunk().empty() && !storage.isCleaningJunk());
}

void JunkView::updateNotice() {
    const auto& notice = m_context.storage.junkNotice();
    if (notice) m_notice->setNotice(notice->text, notice->isError);
    m_noticeRow->setVisible(notice.has_value());
}

void JunkView::updateBar() {
    const StorageModel& storage = m_context.storage;
    const std::int64_t size = storage.selectedJunkSize();
    m_actionBar->setSelection(size, storage.selectedJunk().size());
    m_actionBar->setBusy(storage.isCleaningJunk());
    m_actionBar->setActionEnabled(size > 0 && !storage.isCleaningJunk() && storage.scanningJunk().empty());
}

void JunkView::updateTrashActions() {
    const auto& junk = m_context.storage.junk();
    const auto trash = junk.find(JunkKind::trash);
    m_trashActions->setDenied(trash != junk.end() && trash->second.accessDenied);
}

void JunkView::updateSpinner() {
    const bool spin = !m_context.storage.scanningJunk().empty() && isVisible();
    if (spin && !m_spinnerTimer->isActive()) m_spinnerTimer->start();
    if (!spin) m_spinnerTimer->stop();
}

void JunkView::showEvent(QShowEvent* event) {
    updateSpinner();
    QWidget::showEvent(event);
}

void JunkView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    updateSpinner();
}

void JunkView::changeEvent(QEvent* event) {
    if (isThemeChange(event)) rebuildColors();
    QWidget::changeEvent(event);
}

void JunkView::rebuildColors() {
    m_rescan->setIcon(Symbols::icon("arrow.clockwise", Palette(palette()).primary()));
}

QMessageBox* JunkView::askClean() {
    if (m_confirmClean) return m_confirmClean;
    const StorageModel& storage = m_context.storage;
    const QString size = QString::fromStdString(Bytes::disk(storage.selectedJunkSize()));
    const QString count = QString::number(storage.selectedJunk().size());
    m_confirmClean = confirm(this,
                             {QStringLiteral("Clean ") + size + QStringLiteral(" of junk?"),
                              count + QStringLiteral(" selected items are deleted permanently. Apps recreate "
                                                     "whatever they still need."),
                              QStringLiteral("Clean")},
                             [this] { m_context.storage.cleanSelectedJunk(); });
    return m_confirmClean;
}

QMessageBox* JunkView::askEmptyTrash() {
    if (m_confirmTrash) return m_confirmTrash;
    m_confirmTrash = confirm(this,
                             {QStringLiteral("Empty the Trash?"),
                              QStringLiteral("Everything in the Trash is deleted permanently."),
                              QStringLiteral("Empty Trash")},
                             [this] { m_context.storage.emptyTrash(); });
    return m_confirmTrash;
}

QMenu* JunkView::openMenu(const QModelIndex& index, const QPoint& globalPos) {
    const JunkItem* item = m_model->item(index);
    if (!item) return nullptr;
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const std::string_view reveal = platformTexts(hostJunkLayout()).revealInFileManager;
    QAction* action = menu->addAction(QString::fromUtf8(reveal.data(), static_cast<qsizetype>(reveal.size())));
    connect(action, &QAction::triggered, this,
            [this, location = item->url] { m_context.workspace.reveal({location}); });
    menu->popup(globalPos);
    return menu;
}

} // namespace brisklet::ui
