#include "ui/components/TileButton.h"

#include "ui/theme/Palette.h"
#include "ui/theme/TextStyles.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace brisklet::ui {

namespace {

// Straight through each channel, alpha included, so the outline fades between a faint text colour
// and a strong brand colour without a flash of either at full strength.
QColor blend(const QColor& from, const QColor& to, double t) {
    const auto mix = [t](float a, float b) { return static_cast<float>(a + (b - a) * t); };
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    return QColor::fromRgbF(mix(a.redF(), b.redF()), mix(a.greenF(), b.greenF()), mix(a.blueF(), b.blueF()),
                            mix(a.alphaF(), b.alphaF()));
}

constexpr int titleDetailGap = 2;
constexpr int iconGap = 12;

} // namespace

TileButton::TileButton(QWidget* parent) : TileButton({}, {}, parent) {}

TileButton::TileButton(const QString& title, const QString& detail, QWidget* parent)
    : QAbstractButton(parent), m_detail(detail), m_hoverAnimation(new QVariantAnimation(this)),
      m_pressAnimation(new QVariantAnimation(this)) {
    setText(title);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    for (QVariantAnimation* animation : {m_hoverAnimation, m_pressAnimation}) {
        animation->setDuration(animationMilliseconds);
        animation->setEasingCurve(QEasingCurve::OutQuad);
    }
    connect(m_hoverAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_hoverShown = value.toDouble();
        update();
    });
    connect(m_pressAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_pressShown = value.toDouble();
        update();
    });
    connect(this, &QAbstractButton::pressed, this, [this] { animateTo(m_pressAnimation, m_pressShown, 1); });
    connect(this, &QAbstractButton::released, this, [this] { animateTo(m_pressAnimation, m_pressShown, 0); });
}

TileButton::~TileButton() = default;

void TileButton::setDetail(const QString& detail) {
    if (detail == m_detail) return;
    m_detail = detail;
    updateGeometry();
    update();
}

QColor TileButton::outlineColor() const {
    QColor hovered = Palette::brand();
    hovered.setAlphaF(static_cast<float>(hoverOutlineOpacity));
    return blend(Palette(palette()).primary(restingOutlineOpacity), hovered, m_hoverShown);
}

qreal TileButton::scale() const {
    return 1.0 - (1.0 - pressedScale) * m_pressShown;
}

void TileButton::animateTo(QVariantAnimation* animation, double& shown, double target) {
    animation->stop();
    if (shown == target) return;
    // From wherever the last change left off, so a quick in-and-out does not jump.
    animation->setStartValue(shown);
    animation->setEndValue(target);
    animation->start();
}

void TileButton::setHovering(bool hovering) {
    if (hovering == m_hovering) return;
    m_hovering = hovering;
    animateTo(m_hoverAnimation, m_hoverShown, hovering ? 1 : 0);
}

void TileButton::enterEvent(QEnterEvent* event) {
    setHovering(true);
    QAbstractButton::enterEvent(event);
}

void TileButton::leaveEvent(QEvent* event) {
    setHovering(false);
    QAbstractButton::leaveEvent(event);
}

void TileButton::changeEvent(QEvent* event) {
    // A disabled tile cannot be clicked, so it should not look as if it could.
    if (event->type() == QEvent::EnabledChange && !isEnabled()) setHovering(false);
    rebuildOnThemeChange(*this, event, [](const Palette&) {});
    QAbstractButton::changeEvent(event);
}

QSize TileButton::sizeHint() const {
    const QFontMetricsF title(ui::font(TextStyle::headline, QWidget::font()));
    const QFontMetricsF detail(ui::font(TextStyle::callout, QWidget::font()));
    qreal textHeight = title.height();
    qreal textWidth = title.horizontalAdvance(text());
    if (!m_detail.isEmpty()) {
        textHeight += titleDetailGap + detail.height();
        textWidth = std::max(textWidth, detail.horizontalAdvance(m_detail));
    }
    const bool hasIcon = !icon().isNull();
    const qreal height = std::max<qreal>(textHeight, hasIcon ? iconSide : 0);
    const qreal width = textWidth + (hasIcon ? iconSide + iconGap : 0);
    return {static_cast<int>(std::ceil(width)) + 2 * inset, static_cast<int>(std::ceil(height)) + 2 * inset};
}

QSize TileButton::minimumSizeHint() const {
    return {2 * inset, sizeHint().height()};
}

void TileButton::paintEvent(QPaintEvent*) {
    const Palette colors(palette());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    const qreal s = scale();
    painter.translate(bounds.center());
    painter.scale(s, s);
    painter.translate(-bounds.center());

    // The outline's 1 px stroke sits half a pixel inside, so it is not clipped at the widget's edge.
    const QRectF panel = bounds.adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(outlineColor(), 1));
    painter.setBrush(colors.controlBackground());
    painter.drawRoundedRect(panel, radius, radius);

    QRectF content = bounds.adjusted(inset, inset, -inset, -inset);
    if (!icon().isNull()) {
        const QRectF iconRect(content.left(), content.center().y() - iconSide / 2.0, iconSide, iconSide);
        icon().paint(&painter, iconRect.toAlignedRect(), Qt::AlignCenter,
                     isEnabled() ? QIcon::Normal : QIcon::Disabled);
        content.setLeft(content.left() + iconSide + iconGap);
    }
    const QFont titleFont = ui::font(TextStyle::headline, QWidget::font());
    const QFont detailFont = ui::font(TextStyle::callout, QWidget::font());
    const qreal titleHeight = QFontMetricsF(titleFont).height();
    const qreal detailHeight = m_detail.isEmpty() ? 0 : titleDetailGap + QFontMetricsF(detailFont).height();
    qreal y = content.center().y() - (titleHeight + detailHeight) / 2;
    painter.setFont(titleFont);
    painter.setPen(isEnabled() ? colors.primary() : colors.tertiaryText());
    painter.drawText(QRectF(content.left(), y, content.width(), titleHeight),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetricsF(titleFont).elidedText(text(), Qt::ElideRight, content.width()));
    if (!m_detail.isEmpty()) {
        y += titleHeight + titleDetailGap;
        painter.setFont(detailFont);
        painter.setPen(colors.secondaryText());
        painter.drawText(QRectF(content.left(), y, content.width(), detailHeight - titleDetailGap),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetricsF(detailFont).elidedText(m_detail, Qt::ElideRight, content.width()));
    }
    if (hasFocus()) {
        QColor ring = Palette::brand();
        ring.setAlphaF(0.8f);
        painter.setPen(QPen(ring, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(bounds.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    }
}

} // namespace brisklet::ui
