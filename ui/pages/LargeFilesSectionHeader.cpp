#include "ui/pages/LargeFilesSectionHeader.h"

#include "core/fs/Bytes.h"
#include "ui/theme/Palette.h"
#include "ui/theme/TextStyles.h"

#include <QHBoxLayout>
#include <QLabel>

namespace brisklet::ui {

LargeFilesSectionHeader::LargeFilesSectionHeader(QWidget* parent) : QWidget(parent), m_text(new QLabel(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 0, 10, 6);
    QFont words = ui::font(TextStyle::callout);
    words.setWeight(QFont::DemiBold);
    m_text->setFont(words);
    m_text->setTextFormat(Qt::PlainText);
    row->addWidget(m_text);
    row->addStretch();
    setTotals(0, 0);
    rebuildColors();
}

void LargeFilesSectionHeader::setTotals(std::size_t count, std::int64_t bytes) {
    // "items" whatever the count, 1 included.
    m_text->setText(QString::number(count) + QStringLiteral(" items · ") + QString::fromStdString(Bytes::disk(bytes)));
    m_text->setAccessibleName(m_text->text());
}

QString LargeFilesSectionHeader::text() const {
    return m_text->text();
}

void LargeFilesSectionHeader::changeEvent(QEvent* event) {
    rebuildOnThemeChange(*this, event, [this](const Palette&) { rebuildColors(); });
    QWidget::changeEvent(event);
}

void LargeFilesSectionHeader::rebuildColors() {
    QPalette secondary = m_text->palette();
    secondary.setColor(QPalette::WindowText, Palette(palette()).secondaryText());
    m_text->setPalette(secondary);
}

} // namespace brisklet::ui
