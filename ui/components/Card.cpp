#include "ui/components/Card.h"

#include <QPainter>
#include <QPen>
#include <QVBoxLayout>

namespace brisklet::ui {

Card::Card(QWidget* parent, int padding)
    : QWidget(parent), m_layout(new QVBoxLayout(this)), m_padding(padding) {
    m_layout->setContentsMargins(padding, padding, padding, padding);
    m_layout->setSpacing(0);
}

void Card::setPadding(int padding) {
    if (padding == m_padding) return;
    m_padding = padding;
    m_layout->setContentsMargins(padding, padding, padding, padding);
}

void Card::setContent(QWidget* content) {
    if (content == m_content) return;
    delete m_content;
    m_content = content;
    if (content) m_layout->addWidget(content);
}

void Card::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor outline = palette().color(QPalette::WindowText);
    outline.setAlphaF(static_cast<float>(outline.alphaF() * outlineOpacity));
    painter.setPen(QPen(outline, 1));
    painter.setBrush(palette().color(QPalette::Base));
    // Half a pixel in, so that the one-pixel outline falls on whole pixels instead of straddling two.
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius, cornerRadius);
}

} // namespace brisklet::ui
