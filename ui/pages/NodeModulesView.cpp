#include "ui/pages/NodeModulesView.h"

#include "app/StorageModel.h"
#include "core/fs/Bytes.h"
#include "core/fs/TildePath.h"
#include "core/junk/Locations.h"
#include "core/junk/PlatformTexts.h"
#include "host/Workspace.h"
#include "ui/components/Card.h"
#include "ui/components/Confirmation.h"
#include "ui/components/EmptyState.h"
#include "ui/components/FolderButton.h"
#include "ui/components/NoticeView.h"
#include "ui/components/PageHeader.h"
#include "ui/components/SelectionBar.h"
#include "ui/components/Spinner.h"
#include "ui/components/ToneLabel.h"
#include "ui/pages/NodeModulesListModel.h"
#include "ui/pages/NodeModulesListView.h"
#include "ui/pages/NodeModulesRowDelegate.h"
#include "ui/pages/NodeModulesSectionHeader.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <numeric>

namespace brisklet::ui {

namespace {

constexpr int kListInset = 24;

} // namespace

NodeModulesView::NodeModulesView(const PageContext& context, QWidget* parent)
    : NodeModulesView(context, Locations::current().home, parent) {}

NodeModulesView::NodeModulesView(const PageContext& context, std::filesystem::path home, QWidget* parent)
    : QWidget(parent), m_context(context), m_home(std::move(home)),
      m_model(new NodeModulesListModel(context.storage, m_home, this)) {
    StorageModel& storage = m_context.storage;
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Built in reading order, which is also the order Tab visits the controls.
    m_header = new PageHeader(
        QStringLiteral("node_modules"),
        QStringLiteral("Dependency folders in your JavaScript projects. npm install brings any of them back."),
        QStringLiteral("shippingbox.fill"), [](const Palette& colors) { return colors.green(); }, this);
    m_accessory = new QWidget;
    auto* accessoryRow = new QHBoxLayout(m_accessory);
    accessoryRow->setContentsMargins(0, 0, 0, 0);
    accessoryRow->setSpacing(8);
    m_rescan = new QPushButton(QStringLiteral("Rescan"));
    m_rescan->setAccessibleName(QStringLiteral("Rescan"));
    m_rescan->setToolTip(QStringLiteral("Rescan (Ctrl+R)"));
    accessoryRow->addWidget(m_rescan);
    m_header->setAccessory(m_accessory);
    setFolderButton();
    column->addWidget(m_header);

    m_noticeRow = new QWidget(this);
    auto* noticeLayout = new QHBoxLayout(m_noticeRow);
    noticeLayout->setContentsMargins(24, 0, 24, 10);
    m_notice = new NoticeView(m_noticeRow);
    m_notice->setDismiss([&storage] { storage.setNodeNotice(std::nullopt); });
    noticeLayout->addWidget(m_notice);
    column->addWidget(m_noticeRow);

    m_content = new QStackedWidget(this);
    column->addWidget(m_content, 1);

    m_scanning = new QWidget;
    auto* scanningColumn = new QVBoxLayout(m_scanning);
    scanningColumn->setSpacing(10);
    scanningColumn->addStretch();
    scanningColumn->addWidget(new Spinner(QStringLiteral("Scanning"), m_scanning), 0, Qt::AlignHCenter);
    m_scanningLabel = new ToneLabel({}, TextStyle::body, m_scanning, &ToneLabel::secondary);
    m_scanningLabel->setAlignment(Qt::AlignCenter);
    m_scanningLabel->setWordWrap(true);
    scanningColumn->addWidget(m_scanningLabel);
    scanningColumn->addStretch();
    m_content->addWidget(m_scanning);

    m_notScanned = new EmptyState(QStringLiteral("shippingbox"), QStringLiteral("Find node_modules folders"),
                                             QStringLiteral("Scan"));
    m_content->addWidget(m_notScanned);
    m_nothingFound =
        new EmptyState(QStringLiteral("checkmark.circle"), QStringLiteral("No node_modules found"));
    m_content->addWidget(m_nothingFound);

    // The list as an inset panel with its one section's heading at the top.
    m_results = new QWidget;
    auto* resultsRow = new QVBoxLayout(m_results);
    resultsRow->setContentsMargins(kListInset, 0, kListInset, 12);
    m_panel = new Card(m_results, 6);
    auto* inside = new QWidget;
    auto* insideColumn = new QVBoxLayout(inside);
    insideColumn->setContentsMargins(0, 0, 0, 0);
    insideColumn->setSpacing(2);
    m_section = new NodeModulesSectionHeader(inside);
    insideColumn->addWidget(m_section);
    m_list = new NodeModulesListView(inside);
    m_list->setModel(m_model);
    m_delegate = new NodeModulesRowDelegate(*m_model, *m_list, this);
    m_list->setItemDelegate(m_delegate);
    insideColumn->addWidget(m_list, 1);
    m_panel->setContent(inside);
    resultsRow->addWidget(m_panel);
    m_content->addWidget(m_results);

    m_actionBar = new SelectionBar({.count = QStringLiteral("folders · removed permanently, reinstall any time"),
                                    .action = QStringLiteral("Delete"),
                                    .busy = QStringLiteral("Deleting")},
                                   this);
    column->addWidget(m_actionBar);

    connect(m_rescan, &QPushButton::clicked, this, &NodeModulesView::rescan);
    auto* rescanKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    connect(rescanKey, &QShortcut::activated, this, &NodeModulesView::rescan);
    auto* allKey = new QShortcut(QKeySequence::SelectAll, this);
    connect(allKey, &QShortcut::activated, this, &NodeModulesView::selectAll);
    connect(m_notScanned, &EmptyState::actionRequested, this, &NodeModulesView::rescan);
    connect(m_section, &NodeModulesSectionHeader::selectStaleRequested, this,
            [&storage] { storage.selectStaleNodeModules(30); });
    connect(m_section, &NodeModulesSectionHeader::selectAllRequested, this, &NodeModulesView::selectAll);
    connect(m_section, &NodeModulesSectionHeader::selectNoneRequested, this,
            [&storage] { storage.setNodeSelection({}); });
    connect(m_list, &NodeModulesListView::toggleRequested, this, &NodeModulesView::toggle);
    connect(m_list, &NodeModulesListView::revealRequested, this, &NodeModulesView::reveal);
    connect(m_list, &NodeModulesListView::selectAllRequested, this, &NodeModulesView::selectAll);
    connect(m_list, &NodeModulesListView::menuRequested, this, &NodeModulesView::openMenu);
    connect(m_actionBar, &SelectionBar::actionRequested, this, &NodeModulesView::askDelete);

    connect(&storage, &StorageModel::nodeRootChanged, this, [this] {
        updateHeader();
        updateTexts();
    });
    connect(&storage, &StorageModel::nodeFoldersChanged, this, [this] {
        updateContent();
        updateBar();
    });
    connect(&storage, &StorageModel::isScanningNodeChanged, this, [this] {
        updateHeader();
        updateContent();
    });
    connect(&storage, &StorageModel::isDeletingNodeChanged, this, [this] {
        updateHeader();
        updateBar();
    });
    connect(&storage, &StorageModel::nodeSelectionChanged, this, &NodeModulesView::updateBar);
    connect(&storage, &StorageModel::nodeNoticeChanged, this, &NodeModulesView::updateNotice);

    updateHeader();
    updateTexts();
    updateContent();
    updateNotice();
    updateBar();
    rebuildColors();
}

NodeModulesView::~NodeModulesView() = default;

void NodeModulesView::setFolderButton() {
    StorageModel& storage = m_context.storage;
    auto* button = new FolderButton(
        storage.nodeRoot(), [&storage](const std::filesystem::path& folder) { storage.setNodeRoot(folder); },
        m_accessory, m_home);
    auto* row = static_cast<QHBoxLayout*>(m_accessory->layout());
    if (m_folder) {
        delete row->replaceWidget(m_folder, button);
        delete m_folder;
    } else {
        row->insertWidget(0, button);
    }
    m_folder = button;
    setTabOrder(m_folder, m_rescan);
}

void NodeModulesView::setHome(std::filesystem::path home) {
    if (home == m_home) return;
    m_home = std::move(home);
    m_model->setHome(m_home);
    // The button's tooltip words its folder from the home it was made with.
    setFolderButton();
    updateTexts();
}

NodeModulesView::Content NodeModulesView::content() const {
    const StorageModel& storage = m_context.storage;
    if (storage.isScanningNode()) return Content::scanning;
    if (!storage.nodeFolders()) return Content::notScanned;
    if (storage.nodeFolders()->empty()) return Content::nothingFound;
    return Content::results;
}

void NodeModulesView::rescan() {
    if (!m_rescan->isEnabled()) return;
    m_context.storage.scanNodeModules();
}

void NodeModulesView::toggle(const QModelIndex& index) {
    const NodeModulesFolder* folder = m_model->folder(index);
    if (!folder) return;
    std::set<std::filesystem::path> selection = m_context.storage.nodeSelection();
    if (!selection.erase(folder->url)) selection.insert(folder->url);
    m_context.storage.setNodeSelection(std::move(selection));
}

void NodeModulesView::reveal(const QModelIndex& index) {
    if (const NodeModulesFolder* folder = m_model->folder(index)) m_context.workspace.reveal({folder->url});
}

void NodeModulesView::selectAll() {
    const auto& folders = m_context.storage.nodeFolders();
    if (!folders || content() != Content::results) return;
    std::set<std::filesystem::path> every;
    for (const NodeModulesFolder& folder : *folders)
        every.insert(folder.url);
    m_context.storage.setNodeSelection(std::move(every));
}

void NodeModulesView::updateHeader() {
    const StorageModel& storage = m_context.storage;
    m_folder->setFolder(storage.nodeRoot());
    m_rescan->setEnabled(!storage.isScanningNode() && !storage.isDeletingNode());
}

void NodeModulesView::updateTexts() {
    const QString root = QString::fromStdString(tildePath(m_context.storage.nodeRoot(), m_home));
    m_scanningLabel->setText(QStringLiteral("Looking for node_modules in ") + root + QStringLiteral("…"));
    m_scanningLabel->setAccessibleName(m_scanningLabel->text());
    m_notScanned->setDescription(QStringLiteral("Scans ") + root +
                                 QStringLiteral(" for JavaScript projects and shows how much space their "
                                                "dependencies take."));
    m_nothingFound->setDescription(root +
                                   QStringLiteral(" has no JavaScript dependency folders. Pick another folder above."));
}

void NodeModulesView::updateContent() {
    const Content now = content();
    // The list goes while a search runs; whoever was working in it with the keyboard gets it back.
    QWidget* focus = focusWidget();
    if (now != Content::results && focus && m_results->isAncestorOf(focus)) m_refocusList = true;
    switch (now) {
    case Content::scanning: m_content->setCurrentWidget(m_scanning); break;
    case Content::notScanned: m_content->setCurrentWidget(m_notScanned); break;
    case Content::nothingFound: m_content->setCurrentWidget(m_nothingFound); break;
    case Content::results: m_content->setCurrentWidget(m_results); break;
    }
    if (now == Content::results && m_refocusList) {
        m_refocusList = false;
        m_list->setFocus();
    } else if (now == Content::nothingFound) {
        m_refocusList = false;
    }
}

void NodeModulesView::updateNotice() {
    const auto& notice = m_context.storage.nodeNotice();
    if (notice) m_notice->setNotice(notice->text, notice->isError);
    m_noticeRow->setVisible(notice.has_value());
}

void NodeModulesView::updateBar() {
    const StorageModel& storage = m_context.storage;
    const auto& folders = storage.nodeFolders();
    const std::int64_t total =
        folders ? std::accumulate(folders->begin(), folders->end(), std::int64_t{0},
                                  [](std::int64_t sum, const NodeModulesFolder& folder) { return sum + folder.size; })
                : 0;
    m_section->setTotals(folders ? folders->size() : 0, total);
    // The count is the selection's own; the size only counts what is listed.
    m_actionBar->setSelection(storage.nodeSelectedSize(), storage.nodeSelection().size());
    m_actionBar->setBusy(storage.isDeletingNode());
    m_actionBar->setActionEnabled(!storage.nodeSelection().empty() && !storage.isDeletingNode());
    m_actionBar->setVisible(folders && !folders->empty());
}

void NodeModulesView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The first look at the page is what asks for the first search.
    if (!m_context.storage.nodeFolders()) m_context.storage.scanNodeModules();
    // "edited yesterday" may have become two days since the page was last on screen.
    m_model->rewordDates();
}

void NodeModulesView::changeEvent(QEvent* event) {
    if (isThemeChange(event)) rebuildColors();
    QWidget::changeEvent(event);
}

void NodeModulesView::rebuildColors() {
    m_rescan->setIcon(Symbols::icon("arrow.clockwise", Palette(palette()).primary()));
}

QMessageBox* NodeModulesView::askDelete() {
    if (m_confirmDelete) return m_confirmDelete;
    const StorageModel& storage = m_context.storage;
    const QString count = QString::number(storage.nodeSelection().size());
    const QString size = QString::fromStdString(Bytes::disk(storage.nodeSelectedSize()));
    m_confirmDelete =
        confirm(this,
                {QStringLiteral("Delete ") + count + QStringLiteral(" node_modules folders?"),
                 QStringLiteral("They're removed permanently. Your code isn't touched — run npm install (or "
                                "pnpm/yarn/bun install) in a project to get its packages back."),
                 QStringLiteral("Delete ") + size},
                [this] { m_context.storage.deleteSelectedNodeModules(); });
    return m_confirmDelete;
}

QMenu* NodeModulesView::openMenu(const QModelIndex& index, const QPoint& globalPos) {
    const NodeModulesFolder* folder = m_model->folder(index);
    if (!folder) return nullptr;
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const std::string_view reveal = platformTexts(hostJunkLayout()).revealInFileManager;
    QAction* action = menu->addAction(QString::fromUtf8(reveal.data(), static_cast<qsizetype>(reveal.size())));
    connect(action, &QAction::triggered, this,
            [this, location = folder->url] { m_context.workspace.reveal({location}); });
    menu->popup(globalPos);
    return menu;
}

} // namespace brisklet::ui
