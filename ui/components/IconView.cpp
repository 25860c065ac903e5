#include "ui/components/IconView.h"

#include <QPainter>

namespace brisklet::ui {

IconView::IconView(QIcon icon, int size, QWidget* parent)
    : QWidget(parent), m_icon(std::move(icon)), m_size(size) {
    setFixedSize(size, size);
}

void IconView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // QIcon picks the pixmap for the painter's own density.
    m_icon.paint(&painter, rect());
}

} // namespace brisklet::ui
