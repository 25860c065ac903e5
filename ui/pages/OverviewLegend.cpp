#include "ui/pages/OverviewLegend.h"

#include "app/StorageModel.h"
#include "core/fs/Bytes.h"
#include "ui/components/Spinner.h"
#include "ui/components/ToneLabel.h"
#include "ui/pages/JunkKindStyle.h"
#include "ui/theme/Palette.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>

namespace brisklet::ui {

// The kind's colour as a small round mark.
class OverviewLegend::Dot final : public QWidget {
public:
    Dot(JunkKind kind, QWidget* parent) : QWidget(parent), m_kind(kind) { setFixedSize(dotSide, dotSide); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(kindColor(m_kind, Palette(palette())));
        painter.drawEllipse(QRectF(rect()));
    }

private:
    JunkKind m_kind;
};

namespace {

std::size_t indexOf(JunkKind kind) {
    return static_cast<std::size_t>(std::find(allJunkKinds.begin(), allJunkKinds.end(), kind) - allJunkKinds.begin());
}

QColor needsAccess(const Palette& colors) {
    return colors.orange();
}

} // namespace

OverviewLegend::OverviewLegend(StorageModel& storage, QWidget* parent)
    : QWidget(parent), m_storage(storage) {
    for (const JunkKind kind : allJunkKinds) {
        Entry& entry = m_entries[indexOf(kind)];
        entry.row = new QWidget(this);
        auto* line = new QHBoxLayout(entry.row);
        line->setContentsMargins(0, 0, 0, 0);
        line->setSpacing(entrySpacing);
        line->addWidget(new Dot(kind, entry.row));
        const std::string_view name = title(kind);
        line->addWidget(new ToneLabel(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())),
                                      TextStyle::callout, entry.row));
        entry.spinner = new Spinner(QStringLiteral("Scanning"), entry.row);
        line->addWidget(entry.spinner);
        entry.status = new ToneLabel({}, TextStyle::callout, entry.row);
        line->addWidget(entry.status);
        line->addStretch();
    }
    // As tall as its rows at the width it is given, and never what holds the card wide: the number
    // of columns follows the width, not the other way round.
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    connect(&storage, &StorageModel::junkChanged, this, &OverviewLegend::refresh);
    connect(&storage, &StorageModel::scanningJunkChanged, this, &OverviewLegend::refresh);
    refresh();
}

int OverviewLegend::columnsFor(int width) {
    return std::max(1, (width + columnSpacing) / (minimumColumnWidth + columnSpacing));
}

int OverviewLegend::rowHeight() const {
    int height = 0;
    for (const Entry& entry : m_entries)
        height = std::max(height, entry.row->sizeHint().height());
    return height;
}

int OverviewLegend::heightForWidth(int width) const {
    const int columns = columnsFor(width);
    const int rows = (static_cast<int>(m_entries.size()) + columns - 1) / columns;
    return rows * rowHeight() + (rows - 1) * rowSpacing;
}

QSize OverviewLegend::sizeHint() const {
    return {minimumColumnWidth, heightForWidth(minimumColumnWidth)};
}

QSize OverviewLegend::minimumSizeHint() const {
    return {0, rowHeight()};
}

void OverviewLegend::resizeEvent(QResizeEvent* event) {
    place();
    QWidget::resizeEvent(event);
}

void OverviewLegend::place() {
    // Columns of one width, as many as fit, filled row by row from the leading edge.
    m_columns = columnsFor(width());
    const int columnWidth = (width() - (m_columns - 1) * columnSpacing) / m_columns;
    const int height = rowHeight();
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const int row = static_cast<int>(i) / m_columns;
        const int column = static_cast<int>(i) % m_columns;
        m_entries[i].row->setGeometry(column * (columnWidth + columnSpacing), row * (height + rowSpacing), columnWidth,
                                      height);
    }
}

QString OverviewLegend::status(JunkKind kind) const {
    return m_entries[indexOf(kind)].status->text();
}

bool OverviewLegend::isSpinning(JunkKind kind) const {
    return !m_entries[indexOf(kind)].spinner->isHidden();
}

void OverviewLegend::refresh() {
    for (const JunkKind kind : allJunkKinds) {
        Entry& entry = m_entries[indexOf(kind)];
        const bool scanning = m_storage.scanningJunk().contains(kind);
        const auto category = m_storage.junk().find(kind);
        const bool denied = category != m_storage.junk().end() && category->second.accessDenied;
        entry.spinner->setVisible(scanning);
        entry.status->setVisible(!scanning);
        if (scanning) {
            entry.status->setText({});
        } else if (denied) {
            entry.status->setText(QStringLiteral("needs access"));
            entry.status->setTone(needsAccess);
        } else {
            const std::int64_t size = category == m_storage.junk().end() ? 0 : category->second.size();
            entry.status->setText(QString::fromStdString(Bytes::disk(size)));
            entry.status->setTone(&ToneLabel::secondary);
        }
    }
}

} // namespace brisklet::ui
