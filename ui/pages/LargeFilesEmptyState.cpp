#include "ui/pages/LargeFilesEmptyState.h"

#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/TextStyles.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace brisklet::ui {

namespace {

constexpr int kSymbolSize = 40;

} // namespace

LargeFilesEmptyState::LargeFilesEmptyState(QWidget* parent)
    : QWidget(parent), m_symbolSlot(new QWidget(this)), m_title(new QLabel(QStringLiteral("No large files"), this)),
      m_description(new QLabel(this)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(8);
    column->addStretch();
    m_symbolSlot->setFixedSize(kSymbolSize, kSymbolSize);
    column->addWidget(m_symbolSlot, 0, Qt::AlignHCenter);
    column->addSpacing(4);
    QFont titleFont = ui::font(TextStyle::title3);
    titleFont.setWeight(QFont::DemiBold);
    m_title->setFont(titleFont);
    m_title->setTextFormat(Qt::PlainText);
    m_title->setAlignment(Qt::AlignHCenter);
    column->addWidget(m_title, 0, Qt::AlignHCenter);
    m_description->setFont(ui::font(TextStyle::body));
    m_description->setTextFormat(Qt::PlainText);
    m_description->setAlignment(Qt::AlignHCenter);
    m_description->setWordWrap(true);
    column->addWidget(m_description);
    column->addStretch();
    m_title->setAccessibleName(m_title->text());
    rebuildColors();
}

void LargeFilesEmptyState::setDescription(const QString& text) {
    m_description->setText(text);
    m_description->setAccessibleName(text);
}

QString LargeFilesEmptyState::title() const {
    return m_title->text();
}

QString LargeFilesEmptyState::description() const {
    return m_description->text();
}

void LargeFilesEmptyState::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Symbols::paint(painter, QRectF(m_symbolSlot->geometry()), "checkmark.circle", Palette(palette()).secondaryText());
}

void LargeFilesEmptyState::changeEvent(QEvent* event) {
    rebuildOnThemeChange(*this, event, [this](const Palette&) { rebuildColors(); });
    QWidget::changeEvent(event);
}

void LargeFilesEmptyState::rebuildColors() {
    QPalette secondary = m_description->palette();
    secondary.setColor(QPalette::WindowText, Palette(palette()).secondaryText());
    m_description->setPalette(secondary);
}

} // namespace brisklet::ui
