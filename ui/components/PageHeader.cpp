#include "ui/components/PageHeader.h"

#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/TextStyles.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

#include <string>

namespace brisklet::ui {

namespace {

// The gradient runs from the tint itself at the top left to a touch darker at the bottom right:
// enough to give the square depth without shifting its hue away from the tint the page chose.
constexpr int gradientDarkening = 118;

} // namespace

class PageHeader::Badge final : public QWidget {
public:
    explicit Badge(QWidget* parent) : QWidget(parent) {
        setFixedSize(badgeSize, badgeSize);
        setAttribute(Qt::WA_TranslucentBackground);
    }

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString& symbol) {
        if (symbol == m_symbol) return;
        m_symbol = symbol;
        m_symbolName = symbol.toStdString();
        update();
    }

    QColor tint() const { return m_tint; }
    void setTint(const QColor& tint) {
        if (tint == m_tint) return;
        m_tint = tint;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF square = rect();
        QLinearGradient gradient(square.topLeft(), square.bottomRight());
        gradient.setColorAt(0, m_tint);
        gradient.setColorAt(1, m_tint.darker(gradientDarkening));
        painter.setPen(Qt::NoPen);
        painter.setBrush(gradient);
        painter.drawRoundedRect(square, badgeRadius, badgeRadius);
        if (m_symbolName.empty()) return;
        const qreal offset = (badgeSize - symbolSize) / 2.0;
        Symbols::paint(painter, QRectF(offset, offset, symbolSize, symbolSize), m_symbolName, Qt::white);
    }

private:
    QString m_symbol;
    // Kept alongside the QString so that painting does not convert on every frame.
    std::string m_symbolName;
    QColor m_tint = Qt::gray;
};

PageHeader::PageHeader(QWidget* parent) : PageHeader({}, {}, {}, Qt::gray, parent) {}

PageHeader::PageHeader(const QString& title, const QString& subtitle, const QString& symbol,
                       const QColor& tint, QWidget* parent)
    : QWidget(parent), m_row(new QHBoxLayout(this)), m_badge(new Badge(this)),
      m_title(new QLabel(title, this)), m_subtitle(new QLabel(subtitle, this)) {
    m_row->setContentsMargins(sideInset, topInset, sideInset, bottomInset);
    m_row->setSpacing(spacing);
    m_badge->setSymbol(symbol);
    m_badge->setTint(tint);
    m_row->addWidget(m_badge, 0, Qt::AlignVCenter);

    auto* texts = new QVBoxLayout;
    texts->setContentsMargins(0, 0, 0, 0);
    texts->setSpacing(2);
    texts->addWidget(m_title);
    texts->addWidget(m_subtitle);
    // The texts take the free width (a wrapping label asks for less than its line), which also
    // pushes the accessory to the right.
    m_row->addLayout(texts, 1);

    QFont titleFont = ui::font(TextStyle::title2, font());
    titleFont.setWeight(QFont::DemiBold);
    m_title->setFont(titleFont);
    m_subtitle->setFont(ui::font(TextStyle::callout, font()));
    m_title->setTextFormat(Qt::PlainText);
    m_subtitle->setTextFormat(Qt::PlainText);
    // In a narrow window, with a page's controls beside it, the explanation wraps rather than being
    // cut off or making the page wider than the window allows.
    m_subtitle->setWordWrap(true);
    rebuildColors();
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

PageHeader::PageHeader(const QString& title, const QString& subtitle, const QString& symbol, TintOf tintOf,
                       QWidget* parent)
    : PageHeader(title, subtitle, symbol, Qt::gray, parent) {
    setTint(std::move(tintOf));
}

QString PageHeader::title() const {
    return m_title->text();
}

void PageHeader::setTitle(const QString& title) {
    if (title != m_title->text()) m_title->setText(title);
}

QString PageHeader::subtitle() const {
    return m_subtitle->text();
}

void PageHeader::setSubtitle(const QString& subtitle) {
    if (subtitle != m_subtitle->text()) m_subtitle->setText(subtitle);
}

QString PageHeader::symbol() const {
    return m_badge->symbol();
}

void PageHeader::setSymbol(const QString& symbol) {
    m_badge->setSymbol(symbol);
}

QColor PageHeader::tint() const {
    return m_badge->tint();
}

void PageHeader::setTint(const QColor& tint) {
    m_tintOf = nullptr;
    m_badge->setTint(tint);
}

void PageHeader::setTint(TintOf tintOf) {
    m_tintOf = std::move(tintOf);
    if (m_tintOf) m_badge->setTint(m_tintOf(Palette(palette())));
}

void PageHeader::setAccessory(QWidget* accessory) {
    if (accessory == m_accessory) return;
    delete m_accessory;
    m_accessory = accessory;
    if (accessory) m_row->addWidget(accessory, 0, Qt::AlignVCenter);
}

QRect PageHeader::badgeGeometry() const {
    return m_badge->geometry();
}

void PageHeader::changeEvent(QEvent* event) {
    rebuildOnThemeChange(*this, event, [this](const Palette&) { rebuildColors(); });
    QWidget::changeEvent(event);
}

void PageHeader::rebuildColors() {
    const Palette colors(palette());
    QPalette subtitlePalette = m_subtitle->palette();
    subtitlePalette.setColor(QPalette::WindowText, colors.secondaryText());
    m_subtitle->setPalette(subtitlePalette);
    if (m_tintOf) m_badge->setTint(m_tintOf(colors));
}

} // namespace brisklet::ui
