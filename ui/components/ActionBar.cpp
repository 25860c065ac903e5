#include "ui/components/ActionBar.h"

#include "ui/theme/Palette.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>

namespace brisklet::ui {

ActionBar::ActionBar(QWidget* parent) : QWidget(parent), m_row(new QHBoxLayout(this)) {
    m_row->setContentsMargins(sideInset, verticalInset, sideInset, verticalInset);
    m_row->setSpacing(spacing);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    rebuildColors();
}

void ActionBar::addWidget(QWidget* widget, int stretch) {
    m_row->addWidget(widget, stretch);
}

void ActionBar::addStretch(int stretch) {
    m_row->addStretch(stretch);
}

void ActionBar::changeEvent(QEvent* event) {
    rebuildOnThemeChange(*this, event, [this](const Palette&) { rebuildColors(); });
    QWidget::changeEvent(event);
}

void ActionBar::rebuildColors() {
    const Palette colors(palette());
    m_fill = colors.barMaterial();
    m_divider = colors.primary(dividerOpacity);
}

void ActionBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_fill);
    // One device-independent pixel, so on a 2× screen the hairline is two device pixels thick like
    // every other 1-point line in the interface.
    painter.fillRect(QRectF(0, 0, width(), 1), m_divider);
}

} // namespace brisklet::ui
