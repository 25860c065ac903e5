#include "ui/components/NoticeView.h"

#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/TextStyles.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QResizeEvent>
#include <QToolButton>

#include <utility>

namespace brisklet::ui {

namespace {

constexpr std::string_view errorSymbol = "exclamationmark.triangle.fill";
constexpr std::string_view successSymbol = "checkmark.seal.fill";
constexpr std::string_view dismissSymbol = "xmark";
constexpr int dismissSymbolSize = 12;

} // namespace

NoticeView::NoticeView(QWidget* parent) : NoticeView({}, false, {}, parent) {}

NoticeView::NoticeView(const QString& text, bool isError, std::function<void()> dismiss, QWidget* parent)
    : QWidget(parent), m_text(new QLabel(text, this)), m_symbolSlot(new QWidget(this)),
      m_dismissButton(new QToolButton(this)), m_dismiss(std::move(dismiss)), m_isError(isError) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(sideInset, verticalInset, sideInset, verticalInset);
    row->setSpacing(spacing);
    row->setAlignment(Qt::AlignTop);

    m_symbolSlot->setFixedSize(symbolSize, symbolSize);
    row->addWidget(m_symbolSlot, 0, Qt::AlignTop);

    m_text->setFont(ui::font(TextStyle::callout, font()));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The label takes the flexible space itself, so that a long notice wraps at the button and not
    // at whatever width the label guessed for itself.
    row->addWidget(m_text, 1, Qt::AlignTop);

    m_dismissButton->setAutoRaise(true);
    m_dismissButton->setFocusPolicy(Qt::TabFocus);
    m_dismissButton->setIconSize(QSize(dismissSymbolSize, dismissSymbolSize));
    m_dismissButton->setAccessibleName(tr("Dismiss"));
    m_dismissButton->setToolTip(tr("Dismiss"));
    row->addWidget(m_dismissButton, 0, Qt::AlignTop);
    connect(m_dismissButton, &QToolButton::clicked, this, [this] {
        if (m_dismiss) m_dismiss();
    });

    // As tall as its wrapped text needs at the width it gets, never taller: a banner in a page's
    // column must not take the space meant for the page's content.
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    rebuildColors();
}

QSize NoticeView::sizeHint() const {
    QSize hint = QWidget::sizeHint();
    if (width() > 0) hint.setHeight(heightForWidth(width()));
    return hint;
}

void NoticeView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // A new width wraps the text anew, and with it the height the banner asks for.
    if (event->size().width() != event->oldSize().width()) updateGeometry();
}

QString NoticeView::text() const {
    return m_text->text();
}

void NoticeView::setNotice(const QString& text, bool isError) {
    if (text != m_text->text()) m_text->setText(text);
    if (isError == m_isError) return;
    m_isError = isError;
    rebuildColors();
    update();
}

std::string_view NoticeView::symbolName() const {
    return m_isError ? errorSymbol : successSymbol;
}

QRect NoticeView::symbolGeometry() const {
    return m_symbolSlot->geometry();
}

void NoticeView::changeEvent(QEvent* event) {
    rebuildOnThemeChange(*this, event, [this](const Palette&) { rebuildColors(); });
    QWidget::changeEvent(event);
}

void NoticeView::rebuildColors() {
    const Palette colors(palette());
    m_accent = m_isError ? colors.orange() : colors.green();
    m_fill = m_accent;
    m_fill.setAlphaF(static_cast<float>(m_accent.alphaF() * fillOpacity));
    m_dismissButton->setIcon(Symbols::icon(dismissSymbol, colors.secondaryText()));
}

void NoticeView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_fill);
    painter.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    Symbols::paint(painter, QRectF(m_symbolSlot->geometry()), symbolName(), m_accent);
}

} // namespace brisklet::ui
