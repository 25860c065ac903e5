#include "ui/components/CheckBox.h"

#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QVariantAnimation>

namespace brisklet::ui {

namespace {

// Without this the check box would read as a push button, which tells a screen reader user nothing
// about the selection; the mixed state has no counterpart in a plain button at all.
class AccessibleCheckBox final : public QAccessibleWidget {
public:
    explicit AccessibleCheckBox(CheckBox* box) : QAccessibleWidget(box, QAccessible::CheckBox) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name) return CheckBox::accessibleLabel(box()->state());
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = box()->state() == CheckState::on;
        state.checkStateMixed = box()->state() == CheckState::mixed;
        return state;
    }

private:
    CheckBox* box() const { return static_cast<CheckBox*>(widget()); }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(CheckBox::staticMetaObject.className()) && object->isWidgetType())
        return new AccessibleCheckBox(static_cast<CheckBox*>(object));
    return nullptr;
}

void installAccessibleFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    (void)installed;
}

} // namespace

CheckBox::CheckBox(QWidget* parent) : CheckBox(CheckState::off, {}, parent) {}

CheckBox::CheckBox(CheckState state, std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent), m_state(state), m_previous(state), m_action(std::move(action)),
      m_fadeAnimation(new QVariantAnimation(this)) {
    m_fadeAnimation->setDuration(fadeMilliseconds);
    m_fadeAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    m_fadeAnimation->setStartValue(0.0);
    m_fadeAnimation->setEndValue(1.0);
    connect(m_fadeAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_fade = value.toDouble();
        update();
    });
    installAccessibleFactory();
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (m_action) m_action();
    });
}

void CheckBox::setState(CheckState state) {
    if (state == m_state) return;
    // Mid-fade, whichever symbol shows more stands for what the user saw last.
    m_previous = m_fade < 0.5 ? m_previous : m_state;
    m_state = state;
    m_fade = 0;
    m_fadeAnimation->stop();
    m_fadeAnimation->start();
    QAccessible::State changed;
    changed.checked = true;
    changed.checkStateMixed = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
    update();
}

const char* CheckBox::symbolName(CheckState state) {
    switch (state) {
    case CheckState::on:
        return "checkmark.circle.fill";
    case CheckState::mixed:
        return "minus.circle.fill";
    case CheckState::off:
        break;
    }
    return "circle";
}

QColor CheckBox::symbolColor(CheckState state) const {
    return state == CheckState::off ? Palette(palette()).tertiaryText() : Palette::brand();
}

QString CheckBox::accessibleLabel(CheckState state) {
    return state == CheckState::off ? QStringLiteral("Not selected") : QStringLiteral("Selected");
}

void CheckBox::changeEvent(QEvent* event) {
    // The tint is looked up at paint time, so a theme change needs nothing but the repaint.
    rebuildOnThemeChange(*this, event, [](const Palette&) {});
    QAbstractButton::changeEvent(event);
}

void CheckBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square((width() - symbolSize) / 2.0, (height() - symbolSize) / 2.0, symbolSize, symbolSize);
    if (m_fade < 1 && m_previous != m_state) {
        painter.setOpacity(1 - m_fade);
        Symbols::paint(painter, square, symbolName(m_previous), symbolColor(m_previous));
        painter.setOpacity(m_fade);
    }
    Symbols::paint(painter, square, symbolName(m_state), symbolColor(m_state));
    painter.setOpacity(1);
    if (hasFocus()) {
        QColor ring = Palette::brand();
        ring.setAlphaF(0.5f);
        painter.setPen(QPen(ring, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(square.adjusted(-1.25, -1.25, 1.25, 1.25));
    }
}

} // namespace brisklet::ui
