#include "ui/pages/MemoryProcessCards.h"

#include "core/fs/Bytes.h"
#include "ui/components/Card.h"
#include "ui/pages/MemoryCardParts.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/TextStyles.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>

namespace brisklet::ui {

namespace {

constexpr int kSideInset = 16;
constexpr int kFigureMinimumWidth = 80;

QString memoryText(std::uint64_t bytes) {
    return QString::fromStdString(Bytes::memory(bytes));
}

// A program's file name may hold any byte but a slash, line breaks included; a row shows one line.
QString oneLine(const std::string& name) {
    QString text = QString::fromStdString(name);
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control) c = u' ';
    return text;
}

// A runtime's mark: a terminal on a small green tile.
class TerminalTile final : public QWidget {
public:
    static constexpr int side = 28;
    static constexpr qreal radius = 7;
    static constexpr int symbolSize = 13;

    explicit TerminalTile(QWidget* parent) : QWidget(parent) { setFixedSize(side, side); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor green = Palette(palette()).green();
        QLinearGradient fill(0, 0, 0, side);
        fill.setColorAt(0, green.lighter(120));
        fill.setColorAt(1, green.darker(108));
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(QRectF(rect()), radius, radius);
        const qreal inset = (side - symbolSize) / 2.0;
        Symbols::paint(painter, QRectF(inset, inset, symbolSize, symbolSize), "terminal.fill", Qt::white);
    }
};

// A symbol in the secondary colour, centred in a slot of its own width.
class SymbolSlot final : public QWidget {
public:
    SymbolSlot(const char* symbol, int width, QWidget* parent) : QWidget(parent), m_symbol(symbol) {
        setFixedWidth(width);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal side = 14;
        Symbols::paint(painter, QRectF((width() - side) / 2, (height() - side) / 2, side, side), m_symbol,
                       Palette(palette()).secondaryText());
    }

private:
    const char* m_symbol;
};

QLabel* makeFigureLabel(QWidget* parent, TextStyle style, QFont::Weight weight) {
    auto* label = new QLabel(parent);
    QFont figure = font(style);
    figure.setWeight(weight);
    label->setFont(figure);
    label->setMinimumWidth(kFigureMinimumWidth);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A button of the small control size, hugging its word like the apps' "Quit".
QPushButton* smallButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setFont(font(TextStyle::callout));
    const QSize word = QFontMetrics(button->font()).size(Qt::TextShowMnemonic, text);
    button->setFixedSize(word.width() + 24, std::min(button->sizeHint().height(), word.height() + 10));
    return button;
}

} // namespace

class DevProcessesCard::Row final : public QWidget {
public:
    explicit Row(DevProcessesCard& card) : QWidget(nullptr) {
        auto* column = new QVBoxLayout(this);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        auto* line = new QHBoxLayout;
        line->setContentsMargins(kSideInset, 8, kSideInset, 8);
        line->setSpacing(12);
        line->addWidget(new TerminalTile(this), 0, Qt::AlignVCenter);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(2);
        title = new ElidedLine(this);
        directory = new ElidedLine(this);
        texts->addWidget(title);
        texts->addWidget(directory);
        line->addLayout(texts, 1);
        figure = makeFigureLabel(this, TextStyle::body, QFont::DemiBold);
        line->addWidget(figure);
        stop = smallButton(QStringLiteral("Stop"), this);
        line->addWidget(stop, 0, Qt::AlignVCenter);
        column->addLayout(line);
        divider = new CardDivider(56, this);
        column->addWidget(divider);
        connect(stop, &QPushButton::clicked, &card, [this, &card] { emit card.stopRequested(process); });
    }

    void present(const DevProcess& shown, bool last) {
        process = shown;
        title->setRuns({{shown.runtime, TextStyle::body, QFont::Medium, {}},
                        {shown.command, TextStyle::body, QFont::Normal, &ToneLabel::secondary}});
        directory->setVisible(shown.directory.has_value());
        if (shown.directory)
            directory->setRuns({{*shown.directory, TextStyle::caption, QFont::Normal,
                                 [](const Palette& colors) { return colors.tertiaryText(); }}});
        figure->setText(memoryText(shown.memory));
        const QString pid = QStringLiteral("PID ") + QString::number(shown.id);
        setToolTip(pid);
        setAccessibleName(shown.runtime + QLatin1Char(' ') + shown.command + QStringLiteral(", ") + figure->text() +
                          QStringLiteral(", ") + pid);
        stop->setAccessibleName(QStringLiteral("Stop ") + shown.runtime + QStringLiteral(", ") + pid);
        divider->setVisible(!last);
    }

    DevProcess process;
    ElidedLine* title;
    ElidedLine* directory;
    QLabel* figure;
    QPushButton* stop;
    CardDivider* divider;
};

DevProcessesCard::DevProcessesCard(QWidget* parent) : QWidget(parent), m_card(new Card(this, 0)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_card);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, kCardBottomInset);
    column->setSpacing(0);
    const CardHeader header = makeCardHeader(QStringLiteral("Dev servers & runtimes"),
                                             QStringLiteral("node, bun, python… still running from your "
                                                            "terminals and editors"),
                                             content);
    m_total = header.detail;
    m_total->show();
    column->addWidget(header.widget);
    column->addWidget(new CardDivider(0, content));
    m_rows = new QVBoxLayout;
    m_rows->setSpacing(0);
    column->addLayout(m_rows);
    m_card->setContent(content);
    setProcesses({});
}

DevProcessesCard::~DevProcessesCard() = default;

void DevProcessesCard::setProcesses(const std::vector<DevProcess>& processes) {
    std::map<pid_t, Row*> kept;
    std::vector<Row*> order;
    for (std::size_t i = 0; i < processes.size(); ++i) {
        const DevProcess& process = processes[i];
        Row* row = nullptr;
        if (const auto it = m_byPid.find(process.id); it != m_byPid.end()) {
            row = it->second;
            m_byPid.erase(it);
        } else {
            row = new Row(*this);
        }
        row->present(process, i + 1 == processes.size());
        kept.emplace(process.id, row);
        order.push_back(row);
    }
    for (const auto& [pid, gone] : m_byPid)
        delete gone;
    // Put back in list order; a widget taken out of a layout and put back keeps its focus.
    for (Row* row : order)
        m_rows->removeWidget(row);
    for (Row* row : order)
        m_rows->addWidget(row);
    m_byPid = std::move(kept);
    m_order = std::move(order);
    const std::uint64_t total = std::accumulate(processes.begin(), processes.end(), std::uint64_t{0},
                                                [](std::uint64_t sum, const DevProcess& p) { return sum + p.memory; });
    m_total->setText(memoryText(total) + QStringLiteral(" total"));
    m_total->setAccessibleName(m_total->text());
}

QString DevProcessesCard::totalText() const {
    return m_total->text();
}

QWidget* DevProcessesCard::rowWidget(int row) const {
    return m_order.at(static_cast<std::size_t>(row));
}

ElidedLine* DevProcessesCard::titleLine(int row) const {
    return m_order.at(static_cast<std::size_t>(row))->title;
}

ElidedLine* DevProcessesCard::directoryLine(int row) const {
    return m_order.at(static_cast<std::size_t>(row))->directory;
}

QPushButton* DevProcessesCard::stopButton(int row) const {
    return m_order.at(static_cast<std::size_t>(row))->stop;
}

BackgroundCard::BackgroundCard(QWidget* parent) : QWidget(parent), m_card(new Card(this, 0)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_card);
    auto* content = new QWidget;
    m_column = new QVBoxLayout(content);
    m_column->setContentsMargins(0, 0, 0, kCardBottomInset);
    m_column->setSpacing(0);
    const CardHeader header = makeCardHeader(QStringLiteral("Background processes"),
                                             QStringLiteral("Not part of any open app · shown for reference"),
                                             content);
    m_column->addWidget(header.widget);
    m_column->addWidget(new CardDivider(0, content));
    m_card->setContent(content);
}

void BackgroundCard::setProcesses(const std::vector<ProcessSample>& processes) {
    // The rows hold no state and take no input: they are reused by position.
    while (m_rows.size() > processes.size()) {
        delete m_rows.back().widget;
        m_rows.pop_back();
    }
    while (m_rows.size() < processes.size()) {
        auto* widget = new QWidget;
        auto* line = new QHBoxLayout(widget);
        line->setContentsMargins(kSideInset, 7, kSideInset, 7);
        line->setSpacing(8);
        line->addWidget(new SymbolSlot("gearshape.2", 22, widget));
        auto* name = new QLabel(widget);
        name->setTextFormat(Qt::PlainText);
        // A long process name gives way to the figure rather than widening the page.
        name->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        line->addWidget(name, 1);
        auto* figure = new ToneLabel({}, TextStyle::body, widget, &ToneLabel::secondary);
        figure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        line->addWidget(figure);
        m_column->addWidget(widget);
        m_rows.push_back({widget, name, figure});
    }
    for (std::size_t i = 0; i < processes.size(); ++i) {
        const Row& row = m_rows[i];
        row.name->setText(oneLine(processes[i].name));
        row.figure->setText(memoryText(processes[i].footprint));
        row.widget->setAccessibleName(rowText(static_cast<int>(i)));
    }
}

QString BackgroundCard::rowText(int row) const {
    const Row& shown = m_rows.at(static_cast<std::size_t>(row));
    return shown.name->text() + QLatin1Char(' ') + shown.figure->text();
}

} // namespace brisklet::ui
