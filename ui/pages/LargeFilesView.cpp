#include "ui/pages/LargeFilesView.h"

#include "app/StorageModel.h"
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
#include "ui/pages/LargeFilesListModel.h"
#include "ui/pages/LargeFilesListView.h"
#include "ui/pages/LargeFilesRowDelegate.h"
#include "ui/pages/LargeFilesSectionHeader.h"
#include "ui/pages/LargeFilesSizePicker.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/TextStyles.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace brisklet::ui {

namespace {

constexpr int kContentInset = 24;

QWidget* scanningPanel(QLabel* label) {
    auto* panel = new QWidget;
    auto* column = new QVBoxLayout(panel);
    column->setSpacing(10);
    column->addStretch();
    auto* spinner = new Spinner(QStringLiteral("Scanning"));
    column->addWidget(spinner, 0, Qt::AlignHCenter);
    label->setFont(ui::font(TextStyle::callout));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignHCenter);
    label->setWordWrap(true);
    column->addWidget(label);
    column->addStretch();
    return panel;
}

} // namespace

LargeFilesView::LargeFilesView(const PageContext& context, QWidget* parent)
    : LargeFilesView(context, Locations::current().home, parent) {}

LargeFilesView::LargeFilesView(const PageContext& context, std::filesystem::path home, QWidget* parent)
    : QWidget(parent), m_context(context), m_home(std::move(home)),
      m_model(new LargeFilesListModel(context.storage, m_home, this)) {
    StorageModel& storage = m_context.storage;
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Built in reading order, which is also the order Tab visits the controls.
    m_header = new PageHeader(
        QStringLiteral("Large Files"),
        QStringLiteral("The biggest files you own. Anything you remove goes to the Trash first, so you can change "
                       "your mind."),
        QStringLiteral("doc.viewfinder"), [](const Palette& p) { return p.orange(); }, this);
    auto* accessory = new QWidget;
    auto* controls = new QHBoxLayout(accessory);
    controls->setContentsMargins(0, 0, 0, 0);
    controls->setSpacing(6);
    m_picker = new LargeFilesSizePicker(largeFileThresholds());
    m_picker->setBytes(storage.largeMinSize());
    controls->addWidget(m_picker);
    m_folder = new FolderButton(storage.largeRoot(), [&storage](const std::filesystem::path& root) {
        storage.setLargeRoot(root);
    }, nullptr, m_home);
    controls->addWidget(m_folder);
    m_rescan = new QPushButton(QStringLiteral("Rescan"));
    m_rescan->setAccessibleName(QStringLiteral("Rescan"));
    m_rescan->setToolTip(QStringLiteral("Rescan (Ctrl+R)"));
    controls->addWidget(m_rescan);
    m_header->setAccessory(accessory);
    column->addWidget(m_header);

    m_noticeRow = new QWidget(this);
    auto* noticeLayout = new QHBoxLayout(m_noticeRow);
    noticeLayout->setContentsMargins(24, 0, 24, 10);
    m_notice = new NoticeView(m_noticeRow);
    m_notice->setDismiss([&storage] { storage.setLargeNotice(std::nullopt); });
    noticeLayout->addWidget(m_notice);
    column->addWidget(m_noticeRow);

    m_content = new QStackedWidget(this);
    m_scanningLabel = new QLabel;
    m_content->addWidget(scanningPanel(m_scanningLabel));
    // Before the first search there is nothing to say: the area stays empty.
    m_content->addWidget(new QWidget);
    m_empty = new EmptyState(QStringLiteral("checkmark.circle"), QStringLiteral("No large files"), {},
                             {.titleStyle = TextStyle::title3, .titleWeight = QFont::DemiBold, .textWidth = 0});
    m_content->addWidget(m_empty);

    auto* results = new QWidget;
    auto* resultsColumn = new QVBoxLayout(results);
    resultsColumn->setContentsMargins(kContentInset, 4, kContentInset, 12);
    resultsColumn->setSpacing(0);
    m_section = new LargeFilesSectionHeader;
    resultsColumn->addWidget(m_section);
    auto* card = new Card(nullptr, 6);
    m_list = new LargeFilesListView;
    m_list->setModel(m_model);
    m_list->setItemDelegate(new LargeFilesRowDelegate(*m_model, *m_list, m_list));
    card->setContent(m_list);
    resultsColumn->addWidget(card, 1);
    m_content->addWidget(results);
    column->addWidget(m_content, 1);

    m_actionBar = new SelectionBar({.count = QStringLiteral("items · moved to the Trash"),
                                    .action = QStringLiteral("Move to Trash"),
                                    .actionMinimumWidth = 90},
                                   this);
    column->addWidget(m_actionBar);

    connect(m_picker, &LargeFilesSizePicker::chosen, this, &LargeFilesView::chooseSize);
    connect(m_rescan, &QPushButton::clicked, this, &LargeFilesView::rescan);
    auto* rescanKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    connect(rescanKey, &QShortcut::activated, this, &LargeFilesView::rescan);
    connect(m_list, &LargeFilesListView::toggleRequested, this, &LargeFilesView::toggle);
    connect(m_list, &LargeFilesListView::openRequested, this, &LargeFilesView::open);
    connect(m_list, &LargeFilesListView::menuRequested, this, &LargeFilesView::openMenu);
    connect(m_actionBar, &SelectionBar::actionRequested, this, &LargeFilesView::askTrash);

    connect(&storage, &StorageModel::largeRootChanged, this, &LargeFilesView::updateRoot);
    connect(&storage, &StorageModel::largeMinSizeChanged, this,
            [this] { m_picker->setBytes(m_context.storage.largeMinSize()); });
    connect(&storage, &StorageModel::isScanningLargeChanged, this, &LargeFilesView::updateScanning);
    connect(&storage, &StorageModel::largeFilesChanged, this, [this] {
        updateContent();
        updateSelection();
    });
    connect(&storage, &StorageModel::largeSelectionChanged, this, &LargeFilesView::updateSelection);
    connect(&storage, &StorageModel::largeNoticeChanged, this, &LargeFilesView::updateNotice);

    updateRoot();
    updateScanning();
    updateNotice();
    updateSelection();
    rebuildColors();
}

LargeFilesView::~LargeFilesView() = default;

void LargeFilesView::setHome(std::filesystem::path home) {
    if (home == m_home) return;
    m_home = std::move(home);
    m_model->setHome(m_home);
    updateRoot();
}

QString LargeFilesView::homeRelative(const std::filesystem::path& path) const {
    return QString::fromStdString(tildePath(path, m_home));
}

LargeFilesView::Content LargeFilesView::content() const {
    return static_cast<Content>(m_content->currentIndex());
}

void LargeFilesView::rescan() {
    if (!m_rescan->isEnabled()) return;
    m_context.storage.scanLargeFiles();
}

void LargeFilesView::chooseSize(std::int64_t bytes) {
    StorageModel& storage = m_context.storage;
    if (bytes == storage.largeMinSize()) return;
    storage.setLargeMinSize(bytes);
    // During a search this does nothing: the new size counts from the next one.
    storage.scanLargeFiles();
}

void LargeFilesView::toggle(const QModelIndex& index) {
    const LargeFile* file = m_model->file(index);
    if (!file) return;
    StorageModel& storage = m_context.storage;
    auto selection = storage.largeSelection();
    if (!selection.erase(file->url)) selection.insert(file->url);
    storage.setLargeSelection(std::move(selection));
}

void LargeFilesView::open(const QModelIndex& index) {
    if (const LargeFile* file = m_model->file(index)) m_context.workspace.open(file->url.string());
}

void LargeFilesView::updateRoot() {
    const std::filesystem::path& root = m_context.storage.largeRoot();
    m_folder->setFolder(root);
    const QString where = homeRelative(root);
    m_scanningLabel->setText(QStringLiteral("Measuring files in ") + where + QChar(0x2026));
    m_scanningLabel->setAccessibleName(m_scanningLabel->text());
    m_empty->setDescription(QStringLiteral("Nothing in ") + where + QStringLiteral(" is above that size."));
}

void LargeFilesView::updateScanning() {
    m_rescan->setEnabled(!m_context.storage.isScanningLarge());
    updateContent();
}

void LargeFilesView::updateContent() {
    const StorageModel& storage = m_context.storage;
    const auto& files = storage.largeFiles();
    Content shown = Content::results;
    if (storage.isScanningLarge())
        shown = Content::scanning;
    else if (!files)
        shown = Content::notScanned;
    else if (files->empty())
        shown = Content::nothingFound;
    // A keyboard user who rescans from the list finds the focus back on it when the new list lands,
    // rather than wherever it went while the spinner, which takes none, was shown.
    if (shown != Content::results && m_list->hasFocus()) m_refocusList = true;
    m_content->setCurrentIndex(static_cast<int>(shown));
    if (shown == Content::results && m_refocusList) {
        m_refocusList = false;
        m_list->setFocus();
    }

    std::int64_t total = 0;
    if (files)
        for (const LargeFile& f : *files)
            total += f.size;
    m_section->setTotals(files ? files->size() : 0, total);
    m_actionBar->setVisible(files && !files->empty());
}

void LargeFilesView::updateNotice() {
    const auto& notice = m_context.storage.largeNotice();
    if (notice) m_notice->setNotice(notice->text, notice->isError);
    m_noticeRow->setVisible(notice.has_value());
}

void LargeFilesView::updateSelection() {
    const StorageModel& storage = m_context.storage;
    m_actionBar->setSelection(storage.largeSelectedSize(), storage.largeSelection().size());
    // Moving to the Trash is offered only for a selection that is not empty.
    m_actionBar->setActionEnabled(!storage.largeSelection().empty());
}

void LargeFilesView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The first search starts when someone looks; the model never searches on its own.
    if (!m_context.storage.largeFiles()) m_context.storage.scanLargeFiles();
}

void LargeFilesView::changeEvent(QEvent* event) {
    if (isThemeChange(event)) rebuildColors();
    QWidget::changeEvent(event);
}

void LargeFilesView::rebuildColors() {
    const Palette colors(palette());
    m_rescan->setIcon(Symbols::icon("arrow.clockwise", colors.primary()));
    QPalette secondary = m_scanningLabel->palette();
    secondary.setColor(QPalette::WindowText, colors.secondaryText());
    m_scanningLabel->setPalette(secondary);
}

QMessageBox* LargeFilesView::askTrash() {
    if (m_confirmTrash) return m_confirmTrash;
    const QString count = QString::number(m_context.storage.largeSelection().size());
    m_confirmTrash = confirm(this,
                             {QStringLiteral("Move ") + count + QStringLiteral(" items to the Trash?"),
                              QStringLiteral("You can put them back from the Trash until you empty it."),
                              QStringLiteral("Move to Trash")},
                             [this] { m_context.storage.trashSelectedLargeFiles(); });
    return m_confirmTrash;
}

QMenu* LargeFilesView::openMenu(const QModelIndex& index, const QPoint& globalPos) {
    const LargeFile* file = m_model->file(index);
    if (!file) return nullptr;
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const std::filesystem::path location = file->url;
    QAction* openAction = menu->addAction(QStringLiteral("Open"));
    connect(openAction, &QAction::triggered, this,
            [this, location] { m_context.workspace.open(location.string()); });
    const std::string_view reveal = platformTexts(hostJunkLayout()).revealInFileManager;
    QAction* revealAction =
        menu->addAction(QString::fromUtf8(reveal.data(), static_cast<qsizetype>(reveal.size())));
    connect(revealAction, &QAction::triggered, this,
            [this, location] { m_context.workspace.reveal({location}); });
    menu->popup(globalPos);
    return menu;
}

} // namespace brisklet::ui
