#include "ui/pages/MemoryView.h"

#include "app/MemoryModel.h"
#include "core/junk/PlatformTexts.h"
#include "host/Workspace.h"
#include "ui/components/Confirmation.h"
#include "ui/components/NoticeView.h"
#include "ui/components/PageHeader.h"
#include "ui/components/ProminentButton.h"
#include "ui/components/SelectionBar.h"
#include "ui/components/Spinner.h"
#include "ui/components/ToneLabel.h"
#include "ui/pages/AppListModel.h"
#include "ui/pages/AppListView.h"
#include "ui/pages/MemoryAppsCard.h"
#include "ui/pages/MemoryProcessCards.h"
#include "ui/pages/MemorySummaryCard.h"
#include "ui/theme/Palette.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMessageBox>
#include <QScrollArea>
#include <QVBoxLayout>

namespace brisklet::ui {

namespace {

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

MemoryView::MemoryView(const PageContext& context, QWidget* parent) : QWidget(parent), m_context(context) {
    MemoryModel& memory = m_context.memory;
    const PlatformTexts& texts = platformTexts(hostJunkLayout());
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_header = new PageHeader(QStringLiteral("Memory"),
                              QStringLiteral("See what's using RAM and quit what you don't need."),
                              QStringLiteral("memorychip.fill"), [](const Palette& colors) { return colors.purple(); },
                              this);
    m_freeUp = new ProminentButton(QStringLiteral("Free Up RAM"), [](const Palette& colors) { return colors.purple(); });
    m_freeUp->setSymbol(QStringLiteral("wind"));
    m_freeUp->setAccessibleName(QStringLiteral("Free Up RAM"));
    m_freeUp->setToolTip(fromView(texts.purgeExplanation));
    // The spinner takes the label's place while a purge runs, so the button keeps its width.
    m_freeUp->setMinimumTextWidth(m_freeUp->sizeHint().width() - 2 * ProminentButton::horizontalPadding);
    m_purgeSpinner = new Spinner(QStringLiteral("Freeing memory"), m_freeUp);
    auto* spinnerPlace = new QHBoxLayout(m_freeUp);
    spinnerPlace->setContentsMargins(0, 0, 0, 0);
    spinnerPlace->addWidget(m_purgeSpinner, 0, Qt::AlignCenter);
    m_purgeSpinner->hide();
    m_header->setAccessory(m_freeUp);
    column->addWidget(m_header);

    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    auto* items = new QVBoxLayout(content);
    items->setContentsMargins(24, 0, 24, 24);
    items->setSpacing(18);

    m_notice = new NoticeView(content);
    m_notice->setDismiss([&memory] { memory.setNotice(std::nullopt); });
    items->addWidget(m_notice);
    m_summary = new MemorySummaryCard(content);
    items->addWidget(m_summary);
    m_apps = new MemoryAppsCard(memory, content);
    items->addWidget(m_apps);
    m_dev = new DevProcessesCard(content);
    items->addWidget(m_dev);
    m_background = new BackgroundCard(content);
    items->addWidget(m_background);
    m_caption = new ToneLabel(fromView(texts.cacheExplanation), TextStyle::caption, content, &ToneLabel::secondary);
    m_caption->setWordWrap(true);
    m_caption->setAccessibleName(m_caption->text());
    items->addWidget(m_caption);
    items->addStretch();
    m_scroll->setWidget(content);
    column->addWidget(m_scroll, 1);

    // Below the scroll area rather than over it, so it never hides the last rows.
    m_bar = new SelectionBar({.count = QStringLiteral("apps · each one gets a normal Quit, so unsaved work is safe"),
                              .action = QStringLiteral("Quit Selected"),
                              .actionMinimumWidth = 90,
                              .dismiss = QStringLiteral("Deselect"),
                              .memoryAmounts = true},
                             this);
    column->addWidget(m_bar);

    AppListView* list = m_apps->list();
    const AppListModel* rows = m_apps->model();
    connect(m_freeUp, &QPushButton::clicked, this, [&memory] { memory.freeUpRAM(); });
    connect(list, &AppListView::toggleRequested, this, [&memory, rows](const QModelIndex& index) {
        if (const AppUsage* app = rows->app(index)) memory.toggle(*app);
    });
    connect(list, &AppListView::quitRequested, this, [&memory, rows](const QModelIndex& index) {
        if (const AppUsage* app = rows->app(index)) memory.quit(*app, false);
    });
    connect(list, &AppListView::forceQuitRequested, this, [this, rows](const QModelIndex& index) {
        if (const AppUsage* app = rows->app(index)) askForceQuit(*app);
    });
    connect(list, &AppListView::menuRequested, this, &MemoryView::openMenu);
    connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this, &MemoryView::keepCurrentRowInView);
    connect(m_dev, &DevProcessesCard::stopRequested, this, &MemoryView::askStop);
    connect(m_bar, &SelectionBar::dismissRequested, this, [&memory] { memory.setSelectedApps({}); });
    connect(m_bar, &SelectionBar::actionRequested, this, [&memory] { memory.quitSelected(); });

    connect(&memory, &MemoryModel::snapshotChanged, this, [this, &memory] { m_summary->setSnapshot(memory.snapshot()); });
    connect(&memory, &MemoryModel::historyChanged, this, [this, &memory] { m_summary->setHistory(memory.history()); });
    connect(&memory, &MemoryModel::devProcessesChanged, this, &MemoryView::updateDevProcesses);
    connect(&memory, &MemoryModel::backgroundChanged, this,
            [this, &memory] { m_background->setProcesses(memory.background()); });
    connect(&memory, &MemoryModel::isPurgingChanged, this, &MemoryView::updatePurging);
    connect(&memory, &MemoryModel::noticeChanged, this, &MemoryView::updateNotice);
    connect(&memory, &MemoryModel::selectedAppsChanged, this, &MemoryView::updateBar);
    connect(&memory, &MemoryModel::appsChanged, this, &MemoryView::updateBar);

    m_summary->setSnapshot(memory.snapshot());
    m_summary->setHistory(memory.history());
    m_background->setProcesses(memory.background());
    updateDevProcesses();
    updatePurging();
    updateNotice();
    updateBar();
}

MemoryView::~MemoryView() = default;

AppListView* MemoryView::appList() const {
    return m_apps->list();
}

QString MemoryView::forceQuitTitle(const std::optional<AppUsage>& app) {
    return QStringLiteral("Force quit ") + (app ? app->name : QStringLiteral("app")) + QLatin1Char('?');
}

QString MemoryView::stopTitle(const std::optional<DevProcess>& process) {
    return QStringLiteral("Stop ") + (process ? process->runtime : QStringLiteral("process")) + QLatin1Char('?');
}

QString MemoryView::stopMessage(const DevProcess& process) {
    QString message = process.command;
    if (process.directory) message += QStringLiteral("\nin ") + *process.directory;
    return message + QStringLiteral("\n\nIt gets a normal stop signal, like pressing Ctrl-C in its terminal.");
}

QMessageBox* MemoryView::askForceQuit(const AppUsage& app) {
    if (bringQuestionBack()) return m_question;
    m_forceQuitTarget = app;
    MemoryModel& memory = m_context.memory;
    ask({forceQuitTitle(m_forceQuitTarget),
         QStringLiteral("Unsaved changes in ") + app.name + QStringLiteral(" will be lost."), QStringLiteral("Force Quit")},
        [&memory, app] { memory.quit(app, true); });
    return m_question;
}

QMessageBox* MemoryView::askStop(const DevProcess& process) {
    if (bringQuestionBack()) return m_question;
    m_stopTarget = process;
    MemoryModel& memory = m_context.memory;
    ask({stopTitle(m_stopTarget), stopMessage(process), QStringLiteral("Stop")},
        [&memory, process] { memory.stop(process); });
    return m_question;
}

bool MemoryView::bringQuestionBack() {
    if (!m_question) return false;
    m_question->raise();
    m_question->activateWindow();
    return true;
}

void MemoryView::ask(const Confirmation& question, std::function<void()> onConfirm) {
    m_question = confirm(this, question, std::move(onConfirm));
    // However it closes, the question is over and nothing is targeted any more.
    connect(m_question, &QMessageBox::finished, this, [this] {
        m_forceQuitTarget.reset();
        m_stopTarget.reset();
        m_question = nullptr;
    });
}

QMenu* MemoryView::openMenu(const QModelIndex& index, const QPoint& globalPos) {
    const AppUsage* shown = m_apps->model()->app(index);
    if (!shown) return nullptr;
    const AppUsage app = *shown;
    MemoryModel& memory = m_context.memory;
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    connect(menu->addAction(QStringLiteral("Quit ") + app.name), &QAction::triggered, this,
            [&memory, app] { memory.quit(app, false); });
    connect(menu->addAction(QStringLiteral("Force Quit ") + app.name + QStringLiteral("…")), &QAction::triggered,
            this, [this, app] { askForceQuit(app); });
    if (app.app.bundle) {
        menu->addSeparator();
        const std::filesystem::path location = app.app.executable.value_or(*app.app.bundle);
        connect(menu->addAction(fromView(platformTexts(hostJunkLayout()).showInFileManager)), &QAction::triggered,
                this, [this, location] { m_context.workspace.reveal({location}); });
    }
    menu->popup(globalPos);
    return menu;
}

void MemoryView::updatePurging() {
    const bool purging = m_context.memory.isPurging();
    m_freeUp->setEnabled(!purging);
    m_freeUp->setText(purging ? QString() : QStringLiteral("Free Up RAM"));
    m_freeUp->setSymbol(purging ? QString() : QStringLiteral("wind"));
    m_purgeSpinner->setVisible(purging);
}

void MemoryView::updateNotice() {
    const auto& notice = m_context.memory.notice();
    if (notice) m_notice->setNotice(notice->text, notice->isError);
    m_notice->setVisible(notice.has_value());
}

void MemoryView::updateDevProcesses() {
    const auto& processes = m_context.memory.devProcesses();
    m_dev->setProcesses(processes);
    m_dev->setVisible(!processes.empty());
}

void MemoryView::updateBar() {
    const MemoryModel& memory = m_context.memory;
    m_bar->setSelection(static_cast<std::int64_t>(memory.selectedMemory()), memory.selectedApps().size());
    m_bar->setVisible(!memory.selectedApps().empty());
}

void MemoryView::keepCurrentRowInView(const QModelIndex& current) {
    AppListView* list = m_apps->list();
    if (!current.isValid() || !list->hasFocus()) return;
    const QRect row = list->visualRect(current);
    const QPoint center = list->viewport()->mapTo(m_scroll->widget(), row.center());
    m_scroll->ensureVisible(center.x(), center.y(), 0, row.height() / 2 + 8);
}

} // namespace brisklet::ui
