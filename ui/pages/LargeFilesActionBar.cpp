#include "ui/pages/LargeFilesActionBar.h"

#include "core/Bytes.h"
#include "ui/components/ActionBar.h"
#include "ui/components/ProminentButton.h"
#include "ui/theme/Palette.h"
#include "ui/theme/TextStyles.h"

#include <QLabel>
#include <QVBoxLayout>

namespace brisklet::ui {

LargeFilesActionBar::LargeFilesActionBar(QWidget* parent)
    : QWidget(parent), m_size(new QLabel), m_count(new QLabel),
      m_trash(new ProminentButton(QStringLiteral("Move to Trash"))) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* bar = new ActionBar(this);
    outer->addWidget(bar);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto* texts = new QWidget;
    auto* lines = new QVBoxLayout(texts);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->setSpacing(1);
    m_size->setFont(ui::font(TextStyle::headline));
    m_count->setFont(ui::font(TextStyle::caption));
    m_size->setTextFormat(Qt::PlainText);
    m_count->setTextFormat(Qt::PlainText);
    lines->addWidget(m_size);
    lines->addWidget(m_count);
    bar->addWidget(texts);
    bar->addStretch();
    m_trash->setMinimumWidth(trashMinimumWidth);
    m_trash->setAccessibleName(QStringLiteral("Move to Trash"));
    bar->addWidget(m_trash);
    connect(m_trash, &QPushButton::clicked, this, &LargeFilesActionBar::trashRequested);
    setSelection(0, 0);
    rebuildColors();
}

void LargeFilesActionBar::setSelection(std::int64_t bytes, std::size_t count) {
    m_size->setText(QString::fromStdString(Bytes::disk(bytes)) + QStringLiteral(" selected"));
    // "items" whatever the count, 1 included.
    m_count->setText(QString::number(count) + QStringLiteral(" items · moved to the Trash"));
    m_size->setAccessibleName(m_size->text());
    m_count->setAccessibleName(m_count->text());
    m_trash->setEnabled(count > 0);
}

QString LargeFilesActionBar::sizeText() const {
    return m_size->text();
}

QString LargeFilesActionBar::countText() const {
    return m_count->text();
}

void LargeFilesActionBar::changeEvent(QEvent* event) {
    rebuildOnThemeChange(*this, event, [this](const Palette&) { rebuildColors(); });
    QWidget::changeEvent(event);
}

void LargeFilesActionBar::rebuildColors() {
    QPalette secondary = m_count->palette();
    secondary.setColor(QPalette::WindowText, Palette(palette()).secondaryText());
    m_count->setPalette(secondary);
}

} // namespace brisklet::ui
