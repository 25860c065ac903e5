#include "ui/pages/JunkTrashActions.h"

#include "core/junk/PlatformTexts.h"
#include "ui/pages/JunkRowDelegate.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/TextStyles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace brisklet::ui {

JunkTrashActions::JunkTrashActions(QWidget* parent)
    : QWidget(parent), m_symbolSlot(new QWidget(this)), m_text(new QLabel(this)),
      m_empty(new QPushButton(QStringLiteral("Empty Trash…"), this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(JunkRowDelegate::contentIndent + 2, 0, JunkRowDelegate::trailingInset + 2, 0);
    row->setSpacing(10);
    m_symbolSlot->setFixedSize(symbolSize, symbolSize);
    m_text->setFont(ui::font(TextStyle::callout));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_empty->setAccessibleName(QStringLiteral("Empty Trash…"));
    row->addWidget(m_symbolSlot);
    row->addWidget(m_text, 1);
    row->addWidget(m_empty);
    connect(m_empty, &QPushButton::clicked, this, &JunkTrashActions::emptyRequested);
    setDenied(false);
}

void JunkTrashActions::setDenied(bool denied) {
    m_denied = denied;
    const PlatformTexts& texts = platformTexts(hostJunkLayout());
    const std::string_view sentence = denied ? texts.trashUnreadable : texts.trashHint;
    m_text->setText(QString::fromUtf8(sentence.data(), static_cast<qsizetype>(sentence.size())));
    m_text->setToolTip(m_text->text());
    setAccessibleName(m_text->text());
    update();
}

QString JunkTrashActions::text() const {
    return m_text->text();
}

void JunkTrashActions::changeEvent(QEvent* event) {
    rebuildOnThemeChange(*this, event, [](const Palette&) {});
    QWidget::changeEvent(event);
}

void JunkTrashActions::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Palette colors(palette());
    Symbols::paint(painter, QRectF(m_symbolSlot->geometry()), m_denied ? "lock.fill" : "info.circle",
                   m_denied ? colors.orange() : colors.secondaryText());
}

} // namespace brisklet::ui
