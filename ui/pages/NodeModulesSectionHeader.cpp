#include "ui/pages/NodeModulesSectionHeader.h"

#include "core/fs/Bytes.h"
#include "ui/components/ToneLabel.h"
#include "ui/theme/Palette.h"
#include "ui/theme/TextStyles.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace brisklet::ui {

namespace {

// A borderless button: its label in the brand colour, no bezel until pressed.
QPushButton* textButton(const QString& label, QWidget* parent) {
    auto* button = new QPushButton(label, parent);
    button->setFlat(true);
    button->setFont(font(TextStyle::callout));
    button->setCursor(Qt::PointingHandCursor);
    button->setAccessibleName(label);
    return button;
}

} // namespace

NodeModulesSectionHeader::NodeModulesSectionHeader(QWidget* parent)
    : QWidget(parent), m_totals(new ToneLabel({}, TextStyle::callout, this, &ToneLabel::secondary)),
      m_stale(textButton(QStringLiteral("Select untouched for 30+ days"), this)),
      m_all(textButton(QStringLiteral("Select all"), this)), m_none(textButton(QStringLiteral("Select none"), this)) {
    QFont heading = m_totals->font();
    heading.setWeight(QFont::DemiBold);
    m_totals->setFont(heading);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 6, 6, 4);
    row->setSpacing(2);
    row->addWidget(m_totals);
    row->addStretch();
    row->addWidget(m_stale);
    row->addWidget(m_all);
    row->addWidget(m_none);
    connect(m_stale, &QPushButton::clicked, this, &NodeModulesSectionHeader::selectStaleRequested);
    connect(m_all, &QPushButton::clicked, this, &NodeModulesSectionHeader::selectAllRequested);
    connect(m_none, &QPushButton::clicked, this, &NodeModulesSectionHeader::selectNoneRequested);
    setTotals(0, 0);
    rebuildColors();
}

void NodeModulesSectionHeader::setTotals(std::size_t projects, std::int64_t bytes) {
    m_totals->setText(QString::number(projects) + QStringLiteral(" projects · ") +
                      QString::fromStdString(Bytes::disk(bytes)));
    m_totals->setAccessibleName(m_totals->text());
}

QString NodeModulesSectionHeader::totalsText() const {
    return m_totals->text();
}

void NodeModulesSectionHeader::changeEvent(QEvent* event) {
    rebuildOnThemeChange(*this, event, [this](const Palette&) { rebuildColors(); });
    QWidget::changeEvent(event);
}

void NodeModulesSectionHeader::rebuildColors() {
    for (QPushButton* button : {m_stale, m_all, m_none}) {
        QPalette tinted = button->palette();
        tinted.setColor(QPalette::ButtonText, Palette::brand());
        button->setPalette(tinted);
    }
}

} // namespace brisklet::ui
