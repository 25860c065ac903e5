#include "ui/components/FileIcon.h"

#include "ui/components/IconCache.h"

#include <QPainter>

#include <algorithm>

namespace brisklet::ui {

FileIcon::FileIcon(QWidget* parent) : FileIcon({}, 16, parent) {}

FileIcon::FileIcon(std::filesystem::path path, int size, QWidget* parent)
    : QWidget(parent), m_path(std::move(path)), m_size(std::max(0, size)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    if (!m_path.empty()) m_icon = IconCache::icon(m_path);
}

void FileIcon::setPath(std::filesystem::path path) {
    if (path == m_path) return;
    m_path = std::move(path);
    m_icon = m_path.empty() ? QIcon() : IconCache::icon(m_path);
    update();
}

void FileIcon::setIconSize(int size) {
    size = std::max(0, size);
    if (size == m_size) return;
    m_size = size;
    updateGeometry();
    update();
}

void FileIcon::paintEvent(QPaintEvent*) {
    if (m_icon.isNull() || m_size == 0) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const qreal ratio = devicePixelRatioF();
    const QRectF square((width() - m_size) / 2.0, (height() - m_size) / 2.0, m_size, m_size);
    // Asked for at device pixels, so a theme with a large enough bitmap or a vector icon stays sharp
    // on a dense screen; anything else is scaled smoothly into the square.
    const QPixmap pixmap = m_icon.pixmap(QSize(m_size, m_size), ratio);
    if (pixmap.isNull()) return;
    painter.drawPixmap(square, pixmap, QRectF(QPointF(0, 0), QSizeF(pixmap.size())));
}

} // namespace brisklet::ui
