#include "ui/tray/TrayPanel.h"

#include "app/MemoryModel.h"
#include "app/StorageModel.h"
#include "core/fs/Bytes.h"
#include "host/Icons.h"
#include "ui/components/FittingLabel.h"
#include "ui/components/IconView.h"
#include "ui/components/PercentRing.h"
#include "ui/components/PressurePill.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/TextStyles.h"

#include <QApplication>
#include <QCursor>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace brisklet::ui {

namespace {

constexpr int ringSize = 44;
constexpr int ringLine = 6;
constexpr int ringFont = 11;
constexpr int iconSize = 18;
constexpr int gaugeGap = 12;
constexpr int ringGap = 10;
// Half the panel each, whatever the figures' length: the value gives way, not the panel.
constexpr int gaugeWidth = (TrayPanel::panelWidth - 2 * TrayPanel::margin - gaugeGap) / 2;
constexpr int valueWidth = gaugeWidth - ringSize - ringGap;

// In the style's own weight unless one is given (the headline is semibold by itself).
QLabel* label(const QString& text, TextStyle style, QWidget* parent,
              std::optional<QFont::Weight> weight = std::nullopt) {
    auto* result = new QLabel(text, parent);
    QFont f = font(style);
    if (weight) f.setWeight(*weight);
    result->setFont(f);
    return result;
}

void setTextColor(QWidget& widget, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::ButtonText, color);
    widget.setPalette(palette);
}

// A ring beside its title and value; the ring and the value label are what changes.
QWidget* gauge(const QString& title, PercentRing*& ring, QLabel*& value, QList<QLabel*>& secondary,
               QWidget* parent) {
    auto* box = new QWidget(parent);
    box->setFixedWidth(gaugeWidth);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(ringGap);
    ring = new PercentRing(box);
    ring->setFixedSize(ringSize, ringSize);
    ring->setLineWidth(ringLine);
    ring->setFontSize(ringFont);
    row->addWidget(ring);
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    QLabel* titleLabel = label(title, TextStyle::caption, box);
    secondary.append(titleLabel);
    column->addStretch();
    column->addWidget(titleLabel);
    auto* fitting = new FittingLabel(box);
    QFont valueFont = font(TextStyle::callout);
    valueFont.setWeight(QFont::Medium);
    fitting->setFont(valueFont);
    value = fitting;
    column->addWidget(value);
    column->addStretch();
    row->addLayout(column, 1);
    return box;
}

// The text of the purple button while it waits out a purge.
QColor busyTextColor(const Palette& colors) {
    return colors.isDark() ? colors.purple().lighter(150) : colors.purple().darker(170);
}

// Below the icon when the screen has room, else above it; never off the screen's sides.
QPoint placement(const QRect& anchor, const QSize& size) {
    const QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(anchor.topLeft(), size);
    int x = anchor.center().x() - size.width() / 2;
    int y = anchor.bottom() + 1;
    if (y + size.height() > area.bottom()) y = anchor.top() - size.height();
    x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
    y = std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
    return {x, y};
}

} // namespace

TrayPanel::TrayPanel(StorageModel& storage, MemoryModel& memory, std::function<void()> showWindow,
                     QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint), m_storage(storage), m_memory(memory),
      m_showWindow(std::move(showWindow)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(margin, margin, margin, margin);
    column->setSpacing(spacing);
    // As tall as the rows and the notice need, and always the panel's width.
    column->setSizeConstraint(QLayout::SetFixedSize);
    column->addStrut(panelWidth - 2 * margin);

    auto* header = new QHBoxLayout;
    header->addWidget(label(QStringLiteral("brisklet"), TextStyle::headline, this));
    header->addStretch();
    m_pill = new PressurePill(MemoryPressure::normal, this);
    header->addWidget(m_pill);
    column->addLayout(header);

    auto* gauges = new QHBoxLayout;
    // A long memory figure must not run up against the storage ring.
    gauges->setSpacing(gaugeGap);
    gauges->addWidget(gauge(QStringLiteral("Memory"), m_memoryRing, m_memoryValue, m_secondaryLabels, this),
                      1);
    gauges->addWidget(
        gauge(QStringLiteral("Storage"), m_storageRing, m_storageValue, m_secondaryLabels, this), 1);
    column->addLayout(gauges);

    m_apps = new QWidget(this);
    m_appsLayout = new QVBoxLayout(m_apps);
    m_appsLayout->setContentsMargins(0, 0, 0, 0);
    m_appsLayout->setSpacing(6);
    column->addWidget(m_apps);

    m_notice = label({}, TextStyle::caption, this);
    m_notice->setWordWrap(true);
    column->addWidget(m_notice);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    column->addWidget(divider);

    auto* actions = new QHBoxLayout;
    m_freeUp = new QPushButton(this);
    m_freeUp->setFont(ui::font(TextStyle::body));
    connect(m_freeUp, &QPushButton::clicked, &m_memory, &MemoryModel::freeUpRAM);
    actions->addWidget(m_freeUp);
    actions->addStretch();
    auto* open = new QPushButton(QStringLiteral("Open brisklet"), this);
    connect(open, &QPushButton::clicked, this, [this] {
        hide();
        if (m_showWindow) m_showWindow();
    });
    actions->addWidget(open);
    column->addLayout(actions);

    m_quit = new QPushButton(QStringLiteral("Quit brisklet"), this);
    m_quit->setFlat(true);
    m_quit->setFont(ui::font(TextStyle::caption));
    m_quit->setFocusPolicy(Qt::TabFocus);
    m_quit->setCursor(Qt::PointingHandCursor);
    connect(m_quit, &QPushButton::clicked, qApp, &QApplication::quit);
    column->addWidget(m_quit, 0, Qt::AlignLeft);

    connect(&m_memory, &MemoryModel::snapshotChanged, this, &TrayPanel::updateMemory);
    connect(&m_memory, &MemoryModel::appsChanged, this, &TrayPanel::rebuildApps);
    connect(&m_memory, &MemoryModel::noticeChanged, this, &TrayPanel::updateNotice);
    connect(&m_memory, &MemoryModel::isPurgingChanged, this, &TrayPanel::updatePurging);
    connect(&m_storage, &StorageModel::diskChanged, this, &TrayPanel::updateStorage);

    recolor();
    updateStorage();
    updatePurging();
}

void TrayPanel::showNear(const QRect& iconGeometry) {
    const QRect anchor = iconGeometry.isEmpty() ? QRect(QCursor::pos(), QSize(1, 1)) : iconGeometry;
    adjustSize();
    move(placement(anchor, sizeHint()));
    show();
    activateWindow();
}

void TrayPanel::showEvent(QShowEvent* event) {
    // The gauge should be current each time the panel opens, not as of the last scan.
    m_storage.refreshDisk();
    QWidget::showEvent(event);
}

void TrayPanel::changeEvent(QEvent* event) {
    if (isThemeChange(event)) recolor();
    QWidget::changeEvent(event);
}

void TrayPanel::updateMemory() {
    const MemorySnapshot& snapshot = m_memory.snapshot();
    m_pill->setPressure(snapshot.pressure);
    const auto colors = Palette(palette()).ringColors(snapshot.pressure);
    m_memoryRing->setColors({colors[0], colors[1]});
    m_memoryRing->setFraction(snapshot.usedFraction());
    const QString used = QString::fromStdString(Bytes::memory(snapshot.used()));
    const QString total = QString::fromStdString(Bytes::memory(snapshot.total));
    // Whole figures matter more than one line: where both do not fit side by side, "of" and the
    // total go onto a second line.
    const QString oneLine = used + QStringLiteral(" of ") + total;
    m_memoryValue->setText(FittingLabel::fits(oneLine, m_memoryValue->font(), valueWidth)
                               ? oneLine
                               : used + QStringLiteral("\nof ") + total);
}

void TrayPanel::updateStorage() {
    const DiskInfo& disk = m_storage.disk();
    m_storageRing->setFraction(disk.usedFraction());
    m_storageValue->setText(QString::fromStdString(Bytes::disk(disk.available)) + QStringLiteral(" free"));
}

void TrayPanel::rebuildApps() {
    // Every apps pass announces a new list, but the five rows rarely change between two of them;
    // rebuilding widgets and looking icons up again only for what is really new keeps idle cost low.
    const std::vector<AppUsage>& listed = m_memory.apps();
    QStringList rows;
    for (std::size_t i = 0; i < std::min<std::size_t>(listed.size(), appRowLimit); ++i) {
        const AppUsage& app = listed[i];
        rows << QString::number(app.id) + QLatin1Char('\n') + app.name + QLatin1Char('\n') + app.iconName +
                    QLatin1Char('\n') + QString::fromStdString(Bytes::memory(app.memory));
    }
    if (m_appsBuilt && rows == m_appRows) return;
    m_appsBuilt = true;
    m_appRows = rows;

    while (QLayoutItem* item = m_appsLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const std::vector<AppUsage>& apps = m_memory.apps();
    m_apps->setVisible(!apps.empty());
    if (apps.empty()) return;

    const Palette colors(palette());
    QLabel* heading =
        label(QStringLiteral("Using the most memory"), TextStyle::caption, m_apps, QFont::DemiBold);
    setTextColor(*heading, colors.secondaryText());
    m_appsLayout->addWidget(heading);
    const QIcon quitIcon = Symbols::icon("xmark.circle.fill", colors.tertiaryText());
    const auto count = std::min<std::size_t>(apps.size(), appRowLimit);
    for (std::size_t i = 0; i < count; ++i) {
        const AppUsage& app = apps[i];
        auto* row = new QWidget(m_apps);
        auto* line = new QHBoxLayout(row);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(8);
        line->addWidget(new IconView(Icons::forApp(app.iconName.toStdString()), iconSize, row));
        QLabel* name = label(app.name, TextStyle::callout, row);
        name->setTextFormat(Qt::PlainText);
        line->addWidget(name, 1);
        QLabel* memory = label(QString::fromStdString(Bytes::memory(app.memory)), TextStyle::callout, row);
        setTextColor(*memory, colors.secondaryText());
        line->addWidget(memory);
        auto* quit = new QToolButton(row);
        quit->setAutoRaise(true);
        quit->setIcon(quitIcon);
        quit->setToolTip(QStringLiteral("Quit ") + app.name);
        // The row names its app by process id only; the app itself is looked up when clicked, so
        // the quit goes to what the model lists then.
        connect(quit, &QToolButton::clicked, this, [this, id = app.id] {
            const auto& now = m_memory.apps();
            const auto found =
                std::find_if(now.begin(), now.end(), [id](const AppUsage& a) { return a.id == id; });
            if (found != now.end()) m_memory.quit(*found, false);
        });
        line->addWidget(quit);
        m_appsLayout->addWidget(row);
    }
}

void TrayPanel::updateNotice() {
    const std::optional<Notice>& notice = m_memory.notice();
    m_notice->setVisible(notice.has_value());
    if (!notice) return;
    m_notice->setText(notice->text);
    const Palette colors(palette());
    setTextColor(*m_notice, notice->isError ? colors.orange() : colors.green());
}

void TrayPanel::updatePurging() {
    const bool purging = m_memory.isPurging();
    m_freeUp->setEnabled(!purging);
    m_freeUp->setText(purging ? QStringLiteral("Freeing…") : QStringLiteral("Free Up RAM"));
    m_freeUp->setIcon(Symbols::icon("wind", purging ? busyTextColor(Palette(palette())) : QColor(Qt::white)));
}

void TrayPanel::recolor() {
    // Palette changes may arrive while the constructor is still building the widgets.
    if (!m_quit) return;
    const Palette colors(palette());
    for (QLabel* l : std::as_const(m_secondaryLabels))
        setTextColor(*l, colors.secondaryText());
    // Borderless and flush with the column, as a link would be.
    m_quit->setStyleSheet(QStringLiteral("QPushButton { border: none; padding: 2px 0; color: %1; }"
                                         " QPushButton:hover { color: %2; }")
                              .arg(colors.secondaryText().name(QColor::HexArgb), colors.primary().name()));
    m_storageRing->setColors({Palette::brand(), Palette::brandTeal()});
    // The prominent, purple action. While a purge runs it turns into a pale purple with deep purple
    // text: still its tint, plainly not clickable, and "Freeing…" stays readable.
    const QColor purple = colors.purple();
    const QColor window = colors.windowBackground();
    const auto mix = [](const QColor& a, const QColor& b, double t) {
        return QColor::fromRgbF(a.redF() * (1 - t) + b.redF() * t, a.greenF() * (1 - t) + b.greenF() * t,
                                a.blueF() * (1 - t) + b.blueF() * t);
    };
    const QColor busyFill = mix(window, purple, 0.25);
    const QColor busyText = busyTextColor(colors);
    m_freeUp->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: white; border: none;"
                                           " border-radius: 6px; padding: 5px 12px; }"
                                           " QPushButton:disabled { background: %2; color: %3; }")
                                .arg(purple.name(), busyFill.name(), busyText.name()));
    // As wide as its wider label, so the line does not jump when the purge starts and ends.
    const QString shown = m_freeUp->text();
    int widest = 0;
    for (const QString& text : {QStringLiteral("Free Up RAM"), QStringLiteral("Freeing…")}) {
        m_freeUp->setText(text);
        widest = std::max(widest, m_freeUp->sizeHint().width());
    }
    m_freeUp->setText(shown);
    m_freeUp->setMinimumWidth(widest);
    updatePurging();
    updateMemory();
    updateNotice();
    m_appsBuilt = false; // the rows' colours are the old theme's
    rebuildApps();
}

} // namespace brisklet::ui
