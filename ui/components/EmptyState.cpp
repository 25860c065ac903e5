#include "ui/components/EmptyState.h"

#include "ui/components/ProminentButton.h"
#include "ui/components/ToneLabel.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"

#include <QPainter>
#include <QVBoxLayout>

namespace brisklet::ui {

// The symbol, painted in the secondary colour of whatever palette is current, sharp at any density.
class EmptyState::Symbol final : public QWidget {
public:
    Symbol(QString name, QWidget* parent) : QWidget(parent), m_name(std::move(name)) {
        setFixedSize(symbolSize, symbolSize);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        Symbols::paint(painter, QRectF(rect()), m_name.toStdString(), Palette(palette()).secondaryText());
    }

private:
    QString m_name;
};

EmptyState::EmptyState(const QString& symbol, const QString& title, const QString& action, EmptyStateLook look,
                       QWidget* parent)
    : QWidget(parent), m_textWidth(look.textWidth), m_image(new Symbol(symbol, this)),
      m_title(new ToneLabel(title, look.titleStyle, this)),
      m_description(new ToneLabel({}, TextStyle::body, this, &ToneLabel::secondary)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(8);
    column->addStretch();
    column->addWidget(m_image, 0, Qt::AlignHCenter);
    column->addSpacing(4);
    QFont heading = m_title->font();
    heading.setWeight(look.titleWeight);
    m_title->setFont(heading);
    m_title->setAlignment(Qt::AlignHCenter);
    m_title->setAccessibleName(title);
    column->addWidget(m_title, 0, Qt::AlignHCenter);
    m_description->setWordWrap(true);
    m_description->setAlignment(Qt::AlignCenter);
    if (m_textWidth > 0) {
        m_description->setFixedWidth(m_textWidth);
        column->addWidget(m_description, 0, Qt::AlignHCenter);
    } else {
        column->addWidget(m_description);
    }
    if (!action.isEmpty()) {
        column->addSpacing(8);
        m_button = new ProminentButton(action, this);
        m_button->setAccessibleName(action);
        connect(m_button, &QPushButton::clicked, this, &EmptyState::actionRequested);
        column->addWidget(m_button, 0, Qt::AlignHCenter);
    }
    column->addStretch();
    setAccessibleName(title);
}

void EmptyState::setDescription(const QString& description) {
    m_description->setText(description);
    // A centred item gets its preferred height, not the one its wrapped lines need; so it is pinned.
    if (m_textWidth > 0) m_description->setFixedHeight(m_description->heightForWidth(m_textWidth));
    m_description->setAccessibleName(description);
    setAccessibleDescription(description);
}

QString EmptyState::title() const {
    return m_title->text();
}

QString EmptyState::description() const {
    return m_description->text();
}

} // namespace brisklet::ui
