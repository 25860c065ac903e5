#include "ui/pages/MemoryBar.h"

#include "ui/theme/Palette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace brisklet::ui {

MemoryBar::MemoryBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(barHeight);
}

void MemoryBar::setSnapshot(const MemorySnapshot& snapshot) {
    if (snapshot == m_snapshot) return;
    m_snapshot = snapshot;
    update();
}

std::vector<MemoryBar::Capsule> MemoryBar::capsules(const MemorySnapshot& snapshot, qreal width) {
    const double total = static_cast<double>(std::max<std::uint64_t>(snapshot.total, 1));
    const std::pair<Part, std::uint64_t> parts[] = {{Part::app, snapshot.app},
                                                    {Part::wired, snapshot.wired},
                                                    {Part::compressed, snapshot.compressed},
                                                    {Part::cached, snapshot.cached}};
    std::vector<Capsule> shown;
    qreal left = 0;
    for (const auto& [part, bytes] : parts) {
        // A machine that reports no total has nothing to share out; and since the parts come from
        // counters read at slightly different moments, they are kept inside the track.
        const qreal share = snapshot.total == 0 ? 0 : width * static_cast<double>(bytes) / total - gap;
        const qreal capsuleWidth = std::clamp<qreal>(share, 0, std::max<qreal>(width - left, 0));
        shown.push_back({part, left, capsuleWidth});
        // An empty part takes no gap either, so the parts after it do not drift right.
        if (capsuleWidth > 0) left += capsuleWidth + gap;
    }
    return shown;
}

QColor MemoryBar::color(Part part, const Palette& colors) {
    switch (part) {
    case Part::app: return Palette::brand();
    case Part::wired: return colors.orange();
    case Part::compressed: return colors.pink();
    case Part::cached: return colors.teal();
    }
    return Palette::brand();
}

void MemoryBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Palette colors(palette());
    const QRectF track(0, (height() - barHeight) / 2.0, width(), barHeight);
    const qreal radius = barHeight / 2.0;
    QPainterPath clip;
    clip.addRoundedRect(track, radius, radius);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colors.primary(trackOpacity));
    painter.drawPath(clip);
    painter.setClipPath(clip);
    for (const Capsule& capsule : capsules(m_snapshot, track.width())) {
        if (capsule.width <= 0) continue;
        const QColor base = color(capsule.part, colors);
        QLinearGradient fill(0, track.top(), 0, track.bottom());
        fill.setColorAt(0, base.lighter(118));
        fill.setColorAt(1, base);
        painter.setBrush(fill);
        const QRectF shape(capsule.left, track.top(), capsule.width, track.height());
        const qreal round = std::min(radius, capsule.width / 2);
        painter.drawRoundedRect(shape, round, round);
    }
}

} // namespace brisklet::ui
