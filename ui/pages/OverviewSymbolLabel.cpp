#include "ui/pages/OverviewSymbolLabel.h"

#include "ui/components/ToneLabel.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPainter>

namespace brisklet::ui {

// Tinted as it is painted, so it follows the theme without being told.
class OverviewSymbolLabel::Symbol final : public QWidget {
public:
    Symbol(QString name, int side, QWidget* parent) : QWidget(parent), m_name(std::move(name)) {
        setFixedSize(side, side);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        Symbols::paint(painter, QRectF(rect()), m_name.toStdString(), Palette(palette()).secondaryText());
    }

private:
    QString m_name;
};

OverviewSymbolLabel::OverviewSymbolLabel(const QString& text, const QString& symbol, QWidget* parent)
    : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(spacing);
    m_text = new ToneLabel(text, TextStyle::headline, this, &ToneLabel::secondary);
    // As tall as the letters' caps and a little more, as a symbol set in the text would be.
    const int side = QFontMetrics(m_text->font()).height() - 2;
    row->addWidget(new Symbol(symbol, side, this));
    row->addWidget(m_text);
    row->addStretch();
}

QString OverviewSymbolLabel::text() const {
    return m_text->text();
}

} // namespace brisklet::ui
