#include "ui/pages/OverviewView.h"

#include "app/MemoryModel.h"
#include "app/StorageModel.h"
#include "app/SystemInfo.h"
#include "core/fs/Bytes.h"
#include "ui/components/Confirmation.h"
#include "ui/components/NoticeView.h"
#include "ui/components/PercentRing.h"
#include "ui/components/PressurePill.h"
#include "ui/components/ToneLabel.h"
#include "ui/pages/OverviewFigure.h"
#include "ui/pages/OverviewFigureCard.h"
#include "ui/pages/OverviewJunkCard.h"
#include "ui/pages/QuickTile.h"
#include "ui/theme/Palette.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QScrollArea>
#include <QVBoxLayout>

namespace brisklet::ui {

namespace {

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

OverviewView::OverviewView(const PageContext& context, QWidget* parent) : QWidget(parent), m_context(context) {
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    // Tab goes from control to control; the area scrolls to whichever has the focus.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setBackgroundRole(QPalette::Window);
    scroll->viewport()->setBackgroundRole(QPalette::Window);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);

    // The column keeps to the leading edge and stops growing at its widest, so on a wide window
    // the figures stay near their labels instead of drifting apart.
    auto* page = new QWidget;
    auto* across = new QHBoxLayout(page);
    across->setContentsMargins(inset, inset, inset, inset);
    auto* columnWidget = new QWidget(page);
    columnWidget->setMaximumWidth(widest);
    across->addWidget(columnWidget, 1);
    across->addStretch(0);
    auto* column = new QVBoxLayout(columnWidget);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);

    column->addWidget(buildGreeting(columnWidget));

    m_notice = new NoticeView(columnWidget);
    m_notice->setDismiss([this] { m_context.storage.setJunkNotice(std::nullopt); });
    column->addWidget(m_notice);

    auto* cards = new QHBoxLayout;
    cards->setSpacing(spacing);
    m_storageCard = new OverviewFigureCard(QStringLiteral("Storage"), QStringLiteral("internaldrive"), columnWidget);
    m_storageCard->ring()->setColors({Palette::brand(), Palette::brandTeal()});
    m_memoryCard = new OverviewFigureCard(QStringLiteral("Memory"), QStringLiteral("memorychip"), columnWidget);
    m_pill = new PressurePill(MemoryPressure::normal, m_memoryCard);
    m_memoryCard->addBesideFigure(m_pill);
    m_memoryCard->setActivation([this] { m_context.navigate(Page::memory); }, QStringLiteral("Memory"));
    m_memoryCard->setAccessibleDescription(QStringLiteral("Opens the Memory page"));
    cards->addWidget(m_storageCard, 1, Qt::AlignTop);
    cards->addWidget(m_memoryCard, 1, Qt::AlignTop);
    column->addLayout(cards);

    m_junkCard = new OverviewJunkCard(
        m_context.storage, [this] { m_context.navigate(Page::junk); }, [this] { confirmClean(); }, columnWidget);
    column->addWidget(m_junkCard);

    column->addSpacing(6);
    column->addWidget(new ToneLabel(QStringLiteral("Quick actions"), TextStyle::headline, columnWidget));
    column->addWidget(buildTiles(columnWidget));
    column->addStretch();
    scroll->setWidget(page);

    connect(&m_context.storage, &StorageModel::diskChanged, this, &OverviewView::updateDisk);
    connect(&m_context.storage, &StorageModel::junkNoticeChanged, this, &OverviewView::updateNotice);
    connect(&m_context.storage, &StorageModel::junkChanged, this, &OverviewView::updateTrash);
    connect(&m_context.memory, &MemoryModel::snapshotChanged, this, &OverviewView::updateMemory);
    connect(&m_context.memory, &MemoryModel::isPurgingChanged, this, &OverviewView::updatePurging);

    updateDisk();
    updateMemory();
    updateNotice();
    updatePurging();
    updateTrash();
}

QWidget* OverviewView::buildGreeting(QWidget* parent) {
    auto* greeting = new QWidget(parent);
    auto* lines = new QVBoxLayout(greeting);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(4);
    lines->addWidget(new ToneLabel(fromStd(SystemInfo::greeting()), TextStyle::largeTitle, greeting));
    const QString dot = QStringLiteral(" \u00B7 ");
    lines->addWidget(new ToneLabel(fromStd(SystemInfo::computerName()) + dot + fromStd(SystemInfo::chip()) + dot +
                                       fromStd(SystemInfo::osVersion()),
                                   TextStyle::body, greeting, &ToneLabel::secondary));
    return greeting;
}

QWidget* OverviewView::buildTiles(QWidget* parent) {
    auto* tiles = new QWidget(parent);
    auto* grid = new QGridLayout(tiles);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(tileSpacing);
    StorageModel& storage = m_context.storage;
    MemoryModel& memory = m_context.memory;
    m_freeUp = new QuickTile(
        QStringLiteral("wind"), [](const Palette& c) { return c.purple(); }, QStringLiteral("Free Up RAM"),
        QStringLiteral("Clear inactive memory"), [&memory] { memory.freeUpRAM(); }, tiles);
    m_trash = new QuickTile(
        QStringLiteral("trash.fill"), [](const Palette& c) { return c.gray(); }, QStringLiteral("Empty Trash"),
        trashSubtitle(storage), [this] { confirmTrash(); }, tiles);
    m_nodeModules = new QuickTile(
        QStringLiteral("shippingbox.fill"), [](const Palette& c) { return c.green(); }, QStringLiteral("node_modules"),
        QStringLiteral("Reclaim project space"), [this] { m_context.navigate(Page::nodeModules); }, tiles);
    m_largeFiles = new QuickTile(
        QStringLiteral("doc.viewfinder"), [](const Palette& c) { return c.orange(); }, QStringLiteral("Large Files"),
        QStringLiteral("Find space hogs"), [this] { m_context.navigate(Page::largeFiles); }, tiles);
    int column = 0;
    for (QuickTile* tile : {m_freeUp, m_trash, m_nodeModules, m_largeFiles}) {
        grid->addWidget(tile, 0, column);
        grid->setColumnStretch(column, 1);
        ++column;
    }
    return tiles;
}

QString OverviewView::trashSubtitle(const StorageModel& storage) {
    const auto trash = storage.junk().find(JunkKind::trash);
    if (trash == storage.junk().end() || trash->second.accessDenied) return QStringLiteral("Delete it for good");
    const std::int64_t size = trash->second.size();
    if (size < 1) return QStringLiteral("Trash is empty");
    return fromStd(Bytes::disk(size)) + QStringLiteral(" in Trash");
}

QMessageBox* OverviewView::confirmClean() {
    StorageModel& storage = m_context.storage;
    return confirm(this,
                   {QStringLiteral("Clean ") + fromStd(Bytes::disk(storage.selectedJunkSize())) +
                        QStringLiteral(" of junk?"),
                    QStringLiteral("The selected caches, logs and build files are deleted permanently. Apps "
                                   "recreate whatever they still need."),
                    QStringLiteral("Clean")},
                   [&storage] { storage.cleanSelectedJunk(); });
}

QMessageBox* OverviewView::confirmTrash() {
    StorageModel& storage = m_context.storage;
    return confirm(this,
                   {QStringLiteral("Empty the Trash?"), QStringLiteral("Everything in the Trash is deleted permanently."),
                    QStringLiteral("Empty Trash")},
                   [&storage] { storage.emptyTrash(); });
}

void OverviewView::showEvent(QShowEvent* event) {
    // The figures move while the program runs (downloads, other programs); the page is current
    // each time it comes into view.
    m_context.storage.refreshDisk();
    QWidget::showEvent(event);
}

void OverviewView::changeEvent(QEvent* event) {
    // The memory ring's colours are theme colours of the pressure level.
    if (isThemeChange(event) && m_pill) updateMemory();
    QWidget::changeEvent(event);
}

void OverviewView::updateDisk() {
    const DiskInfo& disk = m_context.storage.disk();
    m_storageCard->ring()->setFraction(disk.usedFraction());
    m_storageCard->setFigure(fromStd(Bytes::disk(disk.available)));
    m_storageCard->detail()->setText(QStringLiteral("available of ") + fromStd(Bytes::disk(disk.total)));
}

void OverviewView::updateMemory() {
    const MemorySnapshot& snapshot = m_context.memory.snapshot();
    const auto colors = Palette(palette()).ringColors(snapshot.pressure);
    m_memoryCard->ring()->setColors({colors[0], colors[1]});
    m_memoryCard->ring()->setFraction(snapshot.usedFraction());
    m_memoryCard->setFigure(fromStd(Bytes::memory(snapshot.used())));
    m_pill->setPressure(snapshot.pressure);
    m_memoryCard->detail()->setText(QStringLiteral("used of ") + fromStd(Bytes::memory(snapshot.total)));
}

void OverviewView::updateNotice() {
    const std::optional<Notice>& notice = m_context.storage.junkNotice();
    m_notice->setVisible(notice.has_value());
    if (notice) m_notice->setNotice(notice->text, notice->isError);
}

void OverviewView::updatePurging() {
    const bool purging = m_context.memory.isPurging();
    m_freeUp->setEnabled(!purging);
    m_freeUp->setSubtitle(purging ? QStringLiteral("Working…") : QStringLiteral("Clear inactive memory"));
}

void OverviewView::updateTrash() {
    m_trash->setSubtitle(trashSubtitle(m_context.storage));
}

} // namespace brisklet::ui
