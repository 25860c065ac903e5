#include "ui/pages/NodeModulesEmptyState.h"

#include "ui/components/ProminentButton.h"
#include "ui/pages/OverviewText.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"

#include <QPainter>
#include <QVBoxLayout>

namespace brisklet::ui {

namespace {

// Wide enough for a sentence of two lines, narrow enough that it still reads as a block.
constexpr int kTextWidth = 420;

} // namespace

// The symbol, painted in the secondary colour of whatever palette is current, sharp at any density.
class NodeModulesEmptyState::Symbol final : public QWidget {
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

NodeModulesEmptyState::NodeModulesEmptyState(const QString& symbol, const QString& title, const QString& action,
                                             QWidget* parent)
    : QWidget(parent), m_image(new Symbol(symbol, this)),
      m_title(new ToneLabel(title, TextStyle::title2, this)),
      m_description(new ToneLabel({}, TextStyle::body, this, &ToneLabel::secondary)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(8);
    column->addStretch();
    column->addWidget(m_image, 0, Qt::AlignHCenter);
    column->addSpacing(4);
    QFont heading = m_title->font();
    heading.setWeight(QFont::Bold);
    m_title->setFont(heading);
    m_title->setAlignment(Qt::AlignCenter);
    column->addWidget(m_title, 0, Qt::AlignHCenter);
    m_description->setWordWrap(true);
    m_description->setAlignment(Qt::AlignCenter);
    m_description->setFixedWidth(kTextWidth);
    column->addWidget(m_description, 0, Qt::AlignHCenter);
    if (!action.isEmpty()) {
        column->addSpacing(8);
        m_button = new ProminentButton(action, this);
        m_button->setAccessibleName(action);
        connect(m_button, &QPushButton::clicked, this, &NodeModulesEmptyState::actionRequested);
        column->addWidget(m_button, 0, Qt::AlignHCenter);
    }
    column->addStretch();
    setAccessibleName(title);
}

void NodeModulesEmptyState::setDescription(const QString& description) {
    m_description->setText(description);
    // A centred item gets its preferred height, not the one its wrapped lines need; so it is pinned.
    m_description->setFixedHeight(m_description->heightForWidth(kTextWidth));
    m_description->setAccessibleName(description);
    setAccessibleDescription(description);
}

QString NodeModulesEmptyState::title() const {
    return m_title->text();
}

QString NodeModulesEmptyState::description() const {
    return m_description->text();
}

} // namespace brisklet::ui
