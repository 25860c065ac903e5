#include "ui/pages/QuickTile.h"

#include "ui/components/TileButton.h"
#include "ui/components/ToneLabel.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"

#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

namespace brisklet::ui {

// The symbol in white on a rounded square of the tint, lighter at the top.
class QuickTile::Badge final : public QWidget {
public:
    Badge(QString symbol, TintOf tint, QWidget* parent)
        : QWidget(parent), m_symbol(std::move(symbol)), m_tint(std::move(tint)) {
        setFixedSize(badgeSide, badgeSide);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor tint = m_tint(Palette(palette()));
        if (!isEnabled()) tint.setAlphaF(0.5f);
        QLinearGradient fill(0, 0, 0, badgeSide);
        fill.setColorAt(0, tint.lighter(120));
        fill.setColorAt(1, tint);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(rect()), badgeRadius, badgeRadius);
        const qreal inset = (badgeSide - symbolSize) / 2.0;
        Symbols::paint(painter, QRectF(inset, inset, symbolSize, symbolSize), m_symbol.toStdString(), Qt::white);
    }

private:
    QString m_symbol;
    TintOf m_tint;
};

QuickTile::QuickTile(const QString& symbol, TintOf tint, const QString& title, const QString& subtitle,
                     std::function<void()> action, QWidget* parent)
    : QWidget(parent), m_button(new TileButton(this)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_button);

    // The tile draws its panel, outline and focus; the column on it is laid out here, since the tile
    // itself puts a symbol beside its text and these stand above it. Clicks go through to the tile.
    auto* column = new QVBoxLayout(m_button);
    // The tile's own measure is of a row, shorter than this column: the column sets its least height.
    column->setSizeConstraint(QLayout::SetMinimumSize);
    column->setContentsMargins(TileButton::inset, TileButton::inset, TileButton::inset, TileButton::inset);
    column->setSpacing(badgeGap);
    column->addWidget(new Badge(symbol, std::move(tint), m_button), 0, Qt::AlignLeft);
    auto* text = new QVBoxLayout;
    text->setSpacing(titleGap);
    m_title = new ToneLabel(title, TextStyle::headline, m_button);
    m_subtitle = new ToneLabel(subtitle, TextStyle::caption, m_button, &ToneLabel::secondary);
    for (ToneLabel* label : {m_title, m_subtitle}) {
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        text->addWidget(label);
    }
    column->addLayout(text);
    // Known now, so the first layout of the page already gives the tile its full height.
    m_button->setMinimumHeight(column->totalMinimumSize().height());

    m_button->setAccessibleName(title);
    m_button->setAccessibleDescription(subtitle);
    m_button->setCursor(Qt::PointingHandCursor);
    connect(m_button, &TileButton::clicked, this, [action = std::move(action)] {
        if (action) action();
    });
}

QString QuickTile::title() const {
    return m_title->text();
}

QString QuickTile::subtitle() const {
    return m_subtitle->text();
}

void QuickTile::setSubtitle(const QString& subtitle) {
    m_subtitle->setText(subtitle);
    m_button->setAccessibleDescription(subtitle);
}

} // namespace brisklet::ui
