#include "ui/pages/JunkActionBar.h"

#include "core/Bytes.h"
#include "ui/components/ActionBar.h"
#include "ui/components/ProminentButton.h"
#include "ui/components/Spinner.h"
#include "ui/theme/Palette.h"
#include "ui/theme/TextStyles.h"

#include <QLabel>
#include <QVBoxLayout>

namespace brisklet::ui {

JunkActionBar::JunkActionBar(QWidget* parent)
    : QWidget(parent), m_size(new QLabel), m_count(new QLabel), m_spinner(new Spinner(QStringLiteral("Cleaning"))),
      m_clean(new ProminentButton(QStringLiteral("Clean"))) {
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
    bar->addWidget(m_spinner);
    m_clean->setMinimumWidth(cleanMinimumWidth);
    m_clean->setAccessibleName(QStringLiteral("Clean"));
    bar->addWidget(m_clean);
    m_spinner->hide();
    connect(m_clean, &QPushButton::clicked, this, &JunkActionBar::cleanRequested);
    setSelection(0, 0);
    rebuildColors();
}

void JunkActionBar::setSelection(std::int64_t bytes, std::size_t count) {
    m_size->setText(QString::fromStdString(Bytes::disk(bytes)) + QStringLiteral(" selected"));
    // "items" whatever the count, 1 included.
    m_count->setText(QString::number(count) + QStringLiteral(" items · removed permanently"));
    m_size->setAccessibleName(m_size->text());
    m_count->setAccessibleName(m_count->text());
}

void JunkActionBar::setCleaning(bool cleaning) {
    m_spinner->setVisible(cleaning);
}

void JunkActionBar::setCleanEnabled(bool enabled) {
    m_clean->setEnabled(enabled);
}

QString JunkActionBar::sizeText() const {
    return m_size->text();
}

QString JunkActionBar::countText() const {
    return m_count->text();
}

void JunkActionBar::changeEvent(QEvent* event) {
    rebuildOnThemeChange(*this, event, [this](const Palette&) { rebuildColors(); });
    QWidget::changeEvent(event);
}

void JunkActionBar::rebuildColors() {
    QPalette secondary = m_count->palette();
    secondary.setColor(QPalette::WindowText, Palette(palette()).secondaryText());
    m_count->setPalette(secondary);
}

} // namespace brisklet::ui
