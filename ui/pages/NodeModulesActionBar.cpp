#include "ui/pages/NodeModulesActionBar.h"

#include "core/Bytes.h"
#include "ui/components/ActionBar.h"
#include "ui/components/ProminentButton.h"
#include "ui/components/Spinner.h"
#include "ui/theme/Palette.h"
#include "ui/theme/TextStyles.h"

#include <QLabel>
#include <QVBoxLayout>

namespace brisklet::ui {

NodeModulesActionBar::NodeModulesActionBar(QWidget* parent)
    : QWidget(parent), m_size(new QLabel), m_count(new QLabel), m_spinner(new Spinner(QStringLiteral("Deleting"))),
      m_delete(new ProminentButton(QStringLiteral("Delete"))) {
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
    m_delete->setMinimumWidth(deleteMinimumWidth);
    m_delete->setAccessibleName(QStringLiteral("Delete"));
    bar->addWidget(m_delete);
    m_spinner->hide();
    connect(m_delete, &QPushButton::clicked, this, &NodeModulesActionBar::deleteRequested);
    setSelection(0, 0);
    rebuildColors();
}

void NodeModulesActionBar::setSelection(std::int64_t bytes, std::size_t count) {
    m_size->setText(QString::fromStdString(Bytes::disk(bytes)) + QStringLiteral(" selected"));
    // "folders" whatever the count, 1 included.
    m_count->setText(QString::number(count) + QStringLiteral(" folders · removed permanently, reinstall any time"));
    m_size->setAccessibleName(m_size->text());
    m_count->setAccessibleName(m_count->text());
}

void NodeModulesActionBar::setDeleting(bool deleting) {
    m_spinner->setVisible(deleting);
}

void NodeModulesActionBar::setDeleteEnabled(bool enabled) {
    m_delete->setEnabled(enabled);
}

QString NodeModulesActionBar::sizeText() const {
    return m_size->text();
}

QString NodeModulesActionBar::countText() const {
    return m_count->text();
}

void NodeModulesActionBar::changeEvent(QEvent* event) {
    rebuildOnThemeChange(*this, event, [this](const Palette&) { rebuildColors(); });
    QWidget::changeEvent(event);
}

void NodeModulesActionBar::rebuildColors() {
    QPalette secondary = m_count->palette();
    secondary.setColor(QPalette::WindowText, Palette(palette()).secondaryText());
    m_count->setPalette(secondary);
}

} // namespace brisklet::ui
