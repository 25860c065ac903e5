#include "ui/pages/OverviewFigureCard.h"

#include "ui/components/Card.h"
#include "ui/components/PercentRing.h"
#include "ui/components/ToneLabel.h"
#include "ui/pages/OverviewFigure.h"
#include "ui/pages/OverviewSymbolLabel.h"
#include "ui/theme/Palette.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace brisklet::ui {

// The keyboard focus drawn around the card, above everything on it.
class OverviewFigureCard::FocusRing final : public QWidget {
public:
    explicit FocusRing(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!parentWidget()->hasFocus()) return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor ring = Palette::brand();
        ring.setAlphaF(0.8f);
        painter.setPen(QPen(ring, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), Card::cornerRadius - 1, Card::cornerRadius - 1);
    }
};

namespace {

// An activatable card reads as a button to assistive tools, which can also press it.
class AccessibleCard final : public QAccessibleWidget {
public:
    explicit AccessibleCard(OverviewFigureCard* card) : QAccessibleWidget(card, QAccessible::Button) {}

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) static_cast<OverviewFigureCard*>(widget())->activate();
    }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className != QLatin1String(OverviewFigureCard::staticMetaObject.className()) || !object->isWidgetType())
        return nullptr;
    auto* card = static_cast<OverviewFigureCard*>(object);
    return card->isActivatable() ? new AccessibleCard(card) : nullptr;
}

} // namespace

OverviewFigureCard::OverviewFigureCard(const QString& title, const QString& symbol, QWidget* parent)
    : QWidget(parent), m_card(new Card(this, padding)) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    (void)factoryInstalled;
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_card);

    auto* content = new QWidget;
    auto* row = new QHBoxLayout(content);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(ringGap);
    m_ring = new PercentRing(content);
    m_ring->setFixedSize(ringSide, ringSide);
    m_ring->setLineWidth(ringLine);
    m_ring->setFontSize(ringFont);
    m_ring->setCaption(QStringLiteral("used"));
    row->addWidget(m_ring);

    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    column->addStretch();
    column->addWidget(new OverviewSymbolLabel(title, symbol, content));
    m_figureRow = new QBoxLayout(QBoxLayout::LeftToRight);
    m_figureRow->setSpacing(figureRowGap);
    m_figure = new OverviewFigure(figureSize, content);
    m_figureRow->addWidget(m_figure, 0, Qt::AlignLeft | Qt::AlignVCenter);
    m_figureRow->addStretch();
    column->addLayout(m_figureRow);
    m_detail = new ToneLabel({}, TextStyle::body, content, &ToneLabel::secondary);
    column->addWidget(m_detail);
    column->addStretch();
    row->addLayout(column, 1);
    m_card->setContent(content);

    m_focusRing = new FocusRing(this);
    // The width comes from the page, shared with the neighbouring card, never from the figures: the
    // figure row wraps to fit the width instead.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void OverviewFigureCard::addBesideFigure(QWidget* widget) {
    m_figureRow->insertWidget(m_figureRow->count() - 1, widget, 0, Qt::AlignLeft | Qt::AlignVCenter);
    fitFigureRow();
}

void OverviewFigureCard::setFigure(const QString& text) {
    m_figure->setText(text);
    fitFigureRow();
}

bool OverviewFigureCard::figureRowWraps() const {
    return m_figureRow->direction() == QBoxLayout::TopToBottom;
}

void OverviewFigureCard::fitFigureRow() {
    // Judged from the card's own width, which its neighbours decide, so the choice cannot feed back
    // into the width it was made for.
    int needed = 0;
    for (int i = 0; i < m_figureRow->count(); ++i) {
        if (QWidget* item = m_figureRow->itemAt(i)->widget()) needed += item->sizeHint().width() + figureRowGap;
    }
    const int available = width() - 2 * padding - ringSide - ringGap;
    const auto direction = needed - figureRowGap <= available ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (direction != m_figureRow->direction()) m_figureRow->setDirection(direction);
}

void OverviewFigureCard::setActivation(std::function<void()> activate, const QString& accessibleName) {
    m_activate = std::move(activate);
    setFocusPolicy(m_activate ? Qt::StrongFocus : Qt::NoFocus);
    setCursor(m_activate ? Qt::PointingHandCursor : Qt::ArrowCursor);
    setAccessibleName(accessibleName);
}

void OverviewFigureCard::activate() {
    if (m_activate) m_activate();
}

void OverviewFigureCard::mousePressEvent(QMouseEvent* event) {
    if (!m_activate || event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    m_pressed = true;
    event->accept();
}

void OverviewFigureCard::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    // Like a button: letting go away from the card takes the click back.
    if (click) return activate();
    QWidget::mouseReleaseEvent(event);
}

void OverviewFigureCard::keyPressEvent(QKeyEvent* event) {
    const bool press = event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (m_activate && press && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) return activate();
    QWidget::keyPressEvent(event);
}

void OverviewFigureCard::focusInEvent(QFocusEvent* event) {
    m_focusRing->update();
    QWidget::focusInEvent(event);
}

void OverviewFigureCard::focusOutEvent(QFocusEvent* event) {
    m_focusRing->update();
    QWidget::focusOutEvent(event);
}

void OverviewFigureCard::resizeEvent(QResizeEvent* event) {
    fitFigureRow();
    m_focusRing->setGeometry(rect());
    m_focusRing->raise();
    QWidget::resizeEvent(event);
}

} // namespace brisklet::ui
