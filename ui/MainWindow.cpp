#include "ui/MainWindow.h"

#include "app/MemoryModel.h"
#include "app/StorageModel.h"
#include "ui/SidebarDisk.h"
#include "ui/SidebarModel.h"
#include "ui/SidebarView.h"
#include "ui/pages/Pages.h"
#include "ui/theme/Palette.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QPainter>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <set>

namespace brisklet::ui {

namespace {

// The page list's side, set off from the detail by a shade of its own.
class SidebarPane final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), Palette(palette()).sidebarBackground());
    }
};

// A hairline between the two sides; the handle is a pixel wide but Qt widens the grab area.
class Hairline final : public QSplitterHandle {
public:
    using QSplitterHandle::QSplitterHandle;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(contentsRect(), Palette(palette()).primary(0.12)); }
};

class HairlineSplitter final : public QSplitter {
public:
    explicit HairlineSplitter(QWidget* parent) : QSplitter(Qt::Horizontal, parent) {}

protected:
    QSplitterHandle* createHandle() override { return new Hairline(orientation(), this); }
};

} // namespace

MainWindow::MainWindow(StorageModel& storage, MemoryModel& memory, Workspace& workspace, QWidget* parent)
    : QWidget(parent), m_storage(storage), m_memory(memory),
      m_sidebarModel(new SidebarModel(storage, memory, this)), m_detail(new QStackedWidget(this)) {
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QStringLiteral("brisklet"));
    setMinimumSize(smallestSize);
    resize(openingSize);

    // The sidebar's selection model is needed by `navigate`, so the pages are built after it.
    QWidget* sidebar = buildSidebar();
    const PageContext context{storage, memory, workspace, [this](std::optional<Page> page) { setPage(page); }};
    for (const Page page : allPages)
        m_detail->addWidget(makePage(page, context, m_detail));

    auto* split = new HairlineSplitter(this);
    split->setChildrenCollapsible(false);
    // A hairline between the two sides, still wide enough to grab: the handle paints one pixel and
    // takes the pointer over a few more.
    split->setHandleWidth(1);
    split->addWidget(sidebar);
    split->addWidget(m_detail);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({sidebarWidth, openingSize.width() - sidebarWidth});
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(split);

    for (std::size_t i = 0; i < allPages.size(); ++i) {
        const Page page = allPages[i];
        auto* shortcut =
            new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + static_cast<int>(i))), this);
        connect(shortcut, &QShortcut::activated, this, [this, page] { setPage(page); });
    }
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quit, &QShortcut::activated, qApp, &QApplication::quit);

    m_disk->setDisk(storage.disk());
    connect(&storage, &StorageModel::diskChanged, this, [this] { m_disk->setDisk(m_storage.disk()); });
    setPage(Page::overview);
}

QWidget* MainWindow::buildSidebar() {
    auto* sidebar = new SidebarPane(this);
    sidebar->setMinimumWidth(sidebarMinimum);
    sidebar->setMaximumWidth(sidebarMaximum);
    m_sidebar = new SidebarView(sidebar);
    m_sidebar->setModel(m_sidebarModel);
    m_disk = new SidebarDisk(sidebar);
    auto* column = new QVBoxLayout(sidebar);
    column->setContentsMargins(0, 8, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_sidebar, 1);
    auto* foot = new QVBoxLayout;
    foot->setContentsMargins(diskInset, diskInset, diskInset, diskInset);
    foot->addWidget(m_disk);
    column->addLayout(foot);
    connect(m_sidebar->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::showSelectedPage);
    return sidebar;
}

Page MainWindow::page() const {
    return allPages[static_cast<std::size_t>(m_detail->currentIndex())];
}

void MainWindow::setPage(std::optional<Page> page) {
    if (!page) {
        m_sidebar->selectionModel()->clearSelection();
        return;
    }
    m_sidebar->selectionModel()->setCurrentIndex(m_sidebarModel->indexOf(*page),
                                                 QItemSelectionModel::ClearAndSelect);
}

void MainWindow::showSelectedPage() {
    const QModelIndexList selected = m_sidebar->selectionModel()->selectedIndexes();
    const std::optional<Page> page =
        selected.isEmpty() ? std::nullopt : m_sidebarModel->pageAt(selected.first());
    m_detail->setCurrentIndex(static_cast<int>(page.value_or(Page::overview)));
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_startedUp) return;
    m_startedUp = true;
    m_sidebar->setFocus();
    // Only the first showing: a window shown again keeps whatever the user has already scanned.
    if (m_storage.junk().empty())
        m_storage.scanJunk(std::set<JunkKind>(allJunkKinds.begin(), allJunkKinds.end()));
}

} // namespace brisklet::ui
