#include "ui/pages/JunkBreakdownBar.h"

#include "app/StorageModel.h"
#include "ui/pages/JunkKindStyle.h"
#include "ui/theme/Palette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

#include <algorithm>

namespace brisklet::ui {

namespace {

// Each kind's share of the width, for kinds that have something to show.
std::vector<JunkBreakdownBar::Segment> layOut(const std::map<JunkKind, double>& shares, qreal width) {
    std::vector<JunkBreakdownBar::Segment> result;
    const auto shown = std::count_if(shares.begin(), shares.end(), [](const auto& s) { return s.second > 0; });
    const qreal available = shown > 0 ? width - JunkBreakdownBar::gap * static_cast<qreal>(shown - 1) : width;
    qreal left = 0;
    // The map is ordered by kind, which is the order every list shows the kinds in.
    for (const auto& [kind, share] : shares) {
        if (share <= 0) continue;
        const qreal length = std::max(JunkBreakdownBar::minimumWidth, available * share);
        result.push_back({kind, left, length});
        left += length + JunkBreakdownBar::gap;
    }
    return result;
}

std::map<JunkKind, double> sharesOf(const std::map<JunkKind, std::int64_t>& sizes, std::int64_t total) {
    const double whole = static_cast<double>(std::max<std::int64_t>(total, 1));
    std::map<JunkKind, double> shares;
    for (const auto& [kind, size] : sizes) {
        if (size > 0) shares[kind] = static_cast<double>(size) / whole;
    }
    return shares;
}

std::map<JunkKind, std::int64_t> sizesOf(const StorageModel& storage) {
    std::map<JunkKind, std::int64_t> sizes;
    for (const auto& [kind, category] : storage.junk())
        sizes[kind] = category.size();
    return sizes;
}

} // namespace

std::vector<JunkBreakdownBar::Segment> JunkBreakdownBar::segments(const std::map<JunkKind, std::int64_t>& sizes,
                                                                  std::int64_t total, qreal width) {
    return layOut(sharesOf(sizes, total), width);
}

JunkBreakdownBar::JunkBreakdownBar(StorageModel& storage, QWidget* parent)
    : QWidget(parent), m_storage(storage), m_animation(new QVariantAnimation(this)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(barHeight);
    m_animation->setDuration(animationMilliseconds);
    m_animation->setEasingCurve(QEasingCurve::InOutQuad);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_progress = value.toDouble();
        update();
    });
    connect(&storage, &StorageModel::junkChanged, this, &JunkBreakdownBar::junkChanged);
    m_track = Palette(palette()).primary(trackOpacity);
    m_total = storage.junkTotal();
    m_to = sharesOf(sizesOf(storage), m_total);
}

void JunkBreakdownBar::junkChanged() {
    const std::int64_t total = m_storage.junkTotal();
    std::map<JunkKind, double> target = sharesOf(sizesOf(m_storage), total);
    if (target == m_to) return;
    // From wherever the bar is drawn now, so a change that lands mid-way does not jump.
    m_from = shownShares();
    m_to = std::move(target);
    const bool totalChanged = total != m_total;
    m_total = total;
    m_animation->stop();
    if (totalChanged && isVisible()) {
        m_progress = 0;
        m_animation->start();
    } else {
        m_progress = 1;
    }
    update();
}

std::map<JunkKind, double> JunkBreakdownBar::shownShares() const {
    if (m_progress >= 1) return m_to;
    std::map<JunkKind, double> shares;
    // A kind that is gone at the end is gone at once: the bar never shows what the model lacks.
    for (const auto& [kind, share] : m_to) {
        const auto before = m_from.find(kind);
        const double start = before == m_from.end() ? 0 : before->second;
        shares[kind] = start + (share - start) * m_progress;
    }
    return shares;
}

std::vector<JunkBreakdownBar::Segment> JunkBreakdownBar::shownSegments() const {
    return layOut(shownShares(), width());
}

void JunkBreakdownBar::changeEvent(QEvent* event) {
    rebuildOnThemeChange(*this, event, [this](const Palette& colors) { m_track = colors.primary(trackOpacity); });
    QWidget::changeEvent(event);
}

void JunkBreakdownBar::paintEvent(QPaintEvent*) {
    const Palette colors(palette());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bar(0, 0, width(), barHeight);
    QPainterPath capsule;
    capsule.addRoundedRect(bar, barHeight / 2.0, barHeight / 2.0);
    painter.fillPath(capsule, m_track);
    painter.setClipPath(capsule);
    for (const Segment& segment : shownSegments()) {
        const QColor color = kindColor(segment.kind, colors);
        // A light sheen from the top, as a fill of the colour's gradient.
        QLinearGradient fill(0, 0, 0, barHeight);
        fill.setColorAt(0, color.lighter(118));
        fill.setColorAt(1, color);
        painter.fillRect(QRectF(segment.left, 0, segment.width, barHeight), fill);
    }
}

} // namespace brisklet::ui
