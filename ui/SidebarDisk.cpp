#include "ui/SidebarDisk.h"

#include "core/fs/Bytes.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/TextStyles.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace brisklet::ui {
namespace {

QFont nameFont() {
    QFont font = ui::font(TextStyle::caption);
    font.setWeight(QFont::DemiBold);
    return font;
}

QString freeText(const DiskInfo& disk) {
    return QString::fromStdString(Bytes::disk(disk.available)) + QStringLiteral(" free of ") +
           QString::fromStdString(Bytes::disk(disk.total));
}

} // namespace

SidebarDisk::SidebarDisk(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void SidebarDisk::setDisk(const DiskInfo& disk) {
    if (disk == m_disk) return;
    m_disk = disk;
    updateGeometry();
    update();
}

int SidebarDisk::rowHeight() const {
    return std::max(QFontMetrics(nameFont()).height(), 14);
}

QRectF SidebarDisk::barGeometry() const {
    return {static_cast<qreal>(padding), static_cast<qreal>(padding + rowHeight() + spacing),
            static_cast<qreal>(width() - 2 * padding), static_cast<qreal>(barHeight)};
}

QSize SidebarDisk::sizeHint() const {
    const int text = QFontMetrics(ui::font(TextStyle::caption2)).height();
    return {180, padding + rowHeight() + spacing + barHeight + spacing + text + padding};
}

QSize SidebarDisk::minimumSizeHint() const {
    return {2 * padding + 60, sizeHint().height()};
}

void SidebarDisk::paintEvent(QPaintEvent*) {
    const Palette colors(palette());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colors.primary(0.05));
    painter.drawRoundedRect(QRectF(rect()), radius, radius);

    const int row = rowHeight();
    const QRectF symbol(padding, padding + (row - 14) / 2.0, 14, 14);
    Symbols::paint(painter, symbol, "internaldrive", colors.primary());
    painter.setFont(nameFont());
    painter.setPen(colors.primary());
    const QRectF name(symbol.right() + 6, padding, width() - padding - symbol.right() - 6, row);
    painter.drawText(
        name, Qt::AlignLeft | Qt::AlignVCenter,
        QFontMetrics(nameFont())
            .elidedText(QString::fromStdString(m_disk.name), Qt::ElideRight, static_cast<int>(name.width())));

    const QRectF track = barGeometry();
    const qreal capsule = track.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(colors.primary(0.1));
    painter.drawRoundedRect(track, capsule, capsule);
    const double fraction = std::clamp(m_disk.usedFraction(), 0.0, 1.0);
    if (fraction > 0) {
        const QRectF fill(track.topLeft(), QSizeF(track.width() * fraction, track.height()));
        QLinearGradient gradient(fill.topLeft(), fill.topRight());
        // One colour, a little lighter at the start, so the bar reads as a solid amount.
        const QColor color = fraction > warningFraction ? colors.red() : Palette::brand();
        gradient.setColorAt(0, color.lighter(115));
        gradient.setColorAt(1, color);
        painter.setBrush(gradient);
        painter.drawRoundedRect(fill, capsule, capsule);
    }

    painter.setFont(ui::font(TextStyle::caption2));
    painter.setPen(colors.secondaryText());
    const QRectF text(padding, track.bottom() + spacing, width() - 2 * padding,
                      height() - padding - track.bottom() - spacing);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignTop, freeText(m_disk));
}

void SidebarDisk::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) updateGeometry();
    if (isThemeChange(event)) update();
    QWidget::changeEvent(event);
}

} // namespace brisklet::ui
