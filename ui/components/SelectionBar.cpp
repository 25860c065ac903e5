#include "ui/components/SelectionBar.h"

#include "core/fs/Bytes.h"
#include "ui/components/ActionBar.h"
#include "ui/components/ProminentButton.h"
#include "ui/components/Spinner.h"
#include "ui/theme/Palette.h"
#include "ui/theme/TextStyles.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace brisklet::ui {

SelectionBar::SelectionBar(Wording wording, QWidget* parent)
    : QWidget(parent), m_countWording(std::move(wording.count)),
      m_memoryAmounts(wording.memoryAmounts), m_size(new QLabel), m_count(new QLabel),
      m_action(new ProminentButton(wording.action)) {
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
    if (!wording.busy.isEmpty()) {
        m_spinner = new Spinner(wording.busy);
        bar->addWidget(m_spinner);
        m_spinner->hide();
    }
    if (!wording.dismiss.isEmpty()) {
        m_dismiss = new QPushButton(wording.dismiss);
        m_dismiss->setAccessibleName(wording.dismiss);
        bar->addWidget(m_dismiss);
        connect(m_dismiss, &QPushButton::clicked, this, &SelectionBar::dismissRequested);
    }
    m_action->setMinimumWidth(wording.actionMinimumWidth);
    m_action->setAccessibleName(wording.action);
    bar->addWidget(m_action);
    connect(m_action, &QPushButton::clicked, this, &SelectionBar::actionRequested);
    setSelection(0, 0);
    rebuildColors();
}

void SelectionBar::setSelection(std::int64_t bytes, std::size_t count) {
    const std::string amount =
        m_memoryAmounts ? Bytes::memory(static_cast<std::uint64_t>(std::max<std::int64_t>(bytes, 0))) : Bytes::disk(bytes);
    m_size->setText(QString::fromStdString(amount) + QStringLiteral(" selected"));
    m_count->setText(QString::number(count) + QLatin1Char(' ') + m_countWording);
    m_size->setAccessibleName(m_size->text());
    m_count->setAccessibleName(m_count->text());
}

void SelectionBar::setBusy(bool busy) {
    if (m_spinner) m_spinner->setVisible(busy);
}

void SelectionBar::setActionEnabled(bool enabled) {
    m_action->setEnabled(enabled);
}

QString SelectionBar::sizeText() const {
    return m_size->text();
}

QString SelectionBar::countText() const {
    return m_count->text();
}

void SelectionBar::changeEvent(QEvent* event) {
    rebuildOnThemeChange(*this, event, [this](const Palette&) { rebuildColors(); });
    QWidget::changeEvent(event);
}

void SelectionBar::rebuildColors() {
    QPalette secondary = m_count->palette();
    secondary.setColor(QPalette::WindowText, Palette(palette()).secondaryText());
    m_count->setPalette(secondary);
}

} // namespace brisklet::ui
