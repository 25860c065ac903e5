#include "ui/pages/OverviewJunkCard.h"

#include "app/StorageModel.h"
#include "core/fs/Bytes.h"
#include "ui/components/Card.h"
#include "ui/components/ProminentButton.h"
#include "ui/components/Spinner.h"
#include "ui/components/ToneLabel.h"
#include "ui/pages/JunkBreakdownBar.h"
#include "ui/pages/OverviewFigure.h"
#include "ui/pages/OverviewLegend.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"

#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace brisklet::ui {

namespace {

constexpr int badgeSide = 64;
constexpr int sparklesSide = 30;
constexpr double badgeFillOpacity = 0.10;

// Sparkles in the brand's two colours, from the top-leading corner to the bottom-trailing one, on a
// faint brand-coloured disc.
class SparklesBadge final : public QWidget {
public:
    explicit SparklesBadge(QWidget* parent) : QWidget(parent) { setFixedSize(badgeSide, badgeSide); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor disc = Palette::brand();
        disc.setAlphaF(static_cast<float>(badgeFillOpacity));
        painter.setPen(Qt::NoPen);
        painter.setBrush(disc);
        painter.drawEllipse(QRectF(rect()));

        const qreal ratio = devicePixelRatioF();
        QImage symbol = Symbols::image("sparkles", QSize(sparklesSide, sparklesSide), ratio, Qt::white);
        QPainter tint(&symbol);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        QLinearGradient gradient(0, 0, sparklesSide, sparklesSide);
        gradient.setColorAt(0, Palette::brand());
        gradient.setColorAt(1, Palette::brandTeal());
        tint.fillRect(QRectF(0, 0, sparklesSide, sparklesSide), gradient);
        tint.end();
        const qreal inset = (badgeSide - sparklesSide) / 2.0;
        painter.drawImage(QRectF(inset, inset, sparklesSide, sparklesSide), symbol);
    }
};

QString disk(std::int64_t bytes) {
    return QString::fromStdString(Bytes::disk(bytes));
}

} // namespace

OverviewJunkCard::OverviewJunkCard(StorageModel& storage, std::function<void()> review, std::function<void()> clean,
                                   QWidget* parent)
    : QWidget(parent), m_storage(storage) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* card = new Card(this, padding);
    outer->addWidget(card);
    // Both forms in one column with one of them hidden, so the card is as tall as the form it shows.
    auto* forms = new QWidget;
    auto* column = new QVBoxLayout(forms);
    column->setContentsMargins(0, 0, 0, 0);
    m_firstScan = buildFirstScan();
    m_findings = buildFindings(std::move(review), std::move(clean));
    column->addWidget(m_firstScan);
    column->addWidget(m_findings);
    card->setContent(forms);

    connect(&storage, &StorageModel::junkChanged, this, [this] {
        updateForm();
        updateTotal();
        // The selection's size depends on the items' sizes, which land after the selection does.
        updateClean();
    });
    connect(&storage, &StorageModel::scanningJunkChanged, this, [this] {
        updateForm();
        updateHeading();
        updateClean();
    });
    connect(&storage, &StorageModel::isCleaningJunkChanged, this, [this] {
        m_cleaning->setVisible(m_storage.isCleaningJunk());
        updateClean();
    });
    connect(&storage, &StorageModel::junkSelectionChanged, this, &OverviewJunkCard::updateClean);

    m_cleaning->setVisible(storage.isCleaningJunk());
    updateForm();
    updateHeading();
    updateTotal();
    updateClean();
}

QWidget* OverviewJunkCard::buildFirstScan() {
    auto* form = new QWidget;
    auto* row = new QHBoxLayout(form);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(16);
    row->addWidget(new SparklesBadge(form));
    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    column->addStretch();
    auto* title = new ToneLabel(QStringLiteral("Find junk you don't need"), TextStyle::title3, form);
    QFont titleFont = title->font();
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    column->addWidget(title);
    auto* explanation =
        new ToneLabel(QStringLiteral("Scans app caches, logs, Xcode build data, package-manager caches and the "
                                     "Trash. Nothing is removed until you say so."),
                      TextStyle::body, form, &ToneLabel::secondary);
    explanation->setWordWrap(true);
    column->addWidget(explanation);
    column->addStretch();
    row->addLayout(column, 1);
    row->addSpacing(8);
    m_scan = new ProminentButton(QStringLiteral("Scan"), form);
    m_scan->setMinimumWidth(scanMinimumWidth);
    m_scan->setAccessibleName(QStringLiteral("Scan for junk"));
    connect(m_scan, &QPushButton::clicked, this,
            [this] { m_storage.scanJunk({allJunkKinds.begin(), allJunkKinds.end()}); });
    row->addWidget(m_scan);
    return form;
}

QWidget* OverviewJunkCard::buildFindings(std::function<void()> review, std::function<void()> clean) {
    auto* form = new QWidget;
    auto* column = new QVBoxLayout(form);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);

    auto* top = new QHBoxLayout;
    top->setSpacing(10);
    auto* figures = new QVBoxLayout;
    figures->setSpacing(2);
    m_heading = new ToneLabel({}, TextStyle::headline, form, &ToneLabel::secondary);
    figures->addWidget(m_heading);
    m_total = new OverviewFigure(totalSize, form);
    figures->addWidget(m_total);
    top->addLayout(figures);
    top->addStretch();
    m_cleaning = new Spinner(QStringLiteral("Cleaning"), form);
    top->addWidget(m_cleaning);
    m_review = new QPushButton(QStringLiteral("Review"), form);
    m_review->setAccessibleName(QStringLiteral("Review junk"));
    connect(m_review, &QPushButton::clicked, this, [review = std::move(review)] { review(); });
    top->addWidget(m_review);
    m_clean = new ProminentButton({}, form);
    m_clean->setMinimumWidth(cleanMinimumWidth);
    connect(m_clean, &QPushButton::clicked, this, [clean = std::move(clean)] { clean(); });
    top->addWidget(m_clean);
    column->addLayout(top);

    m_bar = new JunkBreakdownBar(m_storage, form);
    column->addWidget(m_bar);
    m_legend = new OverviewLegend(m_storage, form);
    column->addWidget(m_legend);
    return form;
}

bool OverviewJunkCard::offersFirstScan() const {
    return !m_firstScan->isHidden();
}

QPushButton* OverviewJunkCard::scanButton() const {
    return m_scan;
}

QPushButton* OverviewJunkCard::cleanButton() const {
    return m_clean;
}

QString OverviewJunkCard::heading() const {
    return m_heading->text();
}

void OverviewJunkCard::updateForm() {
    const bool nothingYet = m_storage.junk().empty() && m_storage.scanningJunk().empty();
    m_firstScan->setVisible(nothingYet);
    m_findings->setVisible(!nothingYet);
}

void OverviewJunkCard::updateHeading() {
    m_heading->setText(m_storage.scanningJunk().empty() ? QStringLiteral("Junk found")
                                                        : QStringLiteral("Scanning for junk…"));
}

void OverviewJunkCard::updateTotal() {
    m_total->setText(disk(m_storage.junkTotal()));
}

void OverviewJunkCard::updateClean() {
    const std::int64_t selected = m_storage.selectedJunkSize();
    m_clean->setText(QStringLiteral("Clean ") + disk(selected));
    m_clean->setAccessibleName(m_clean->text());
    m_clean->setEnabled(m_storage.scanningJunk().empty() && !m_storage.isCleaningJunk() && selected > 0);
}

} // namespace brisklet::ui
