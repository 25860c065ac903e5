#pragma once

#include "core/junk/JunkKind.h"

#include <QColor>
#include <QWidget>

#include <cstdint>
#include <map>
#include <vector>

class QVariantAnimation;

namespace brisklet {
class StorageModel;
} // namespace brisklet

namespace brisklet::ui {

// The junk found, kind by kind, as one capsule split into coloured lengths, so the biggest kinds
// stand out at a glance. Follows the storage model; a change of the total eases the lengths over.
class JunkBreakdownBar final : public QWidget {
    Q_OBJECT

public:
    static constexpr int barHeight = 12;
    static constexpr qreal gap = 2;
    static constexpr qreal minimumWidth = 3;
    static constexpr double trackOpacity = 0.06;
    static constexpr int animationMilliseconds = 350;

    struct Segment {
        JunkKind kind;
        qreal left;
        qreal width;
        bool operator==(const Segment&) const = default;
    };

    // Where each kind is drawn in a bar `width` wide: the kinds with a size above zero, in kind order,
    // each in proportion to `total` (taken as at least one byte) but never thinner than a sliver, with
    // a small gap between neighbours. What is left over stays empty at the right.
    static std::vector<Segment> segments(const std::map<JunkKind, std::int64_t>& sizes, std::int64_t total,
                                         qreal width);

    explicit JunkBreakdownBar(StorageModel& storage, QWidget* parent = nullptr);

    // The lengths drawn now, which lag behind the model while a change of the total eases in.
    std::vector<Segment> shownSegments() const;
    QVariantAnimation* animation() const { return m_animation; }

    QSize sizeHint() const override { return {200, barHeight}; }
    QSize minimumSizeHint() const override { return {0, barHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void junkChanged();
    std::map<JunkKind, double> shownShares() const;

    StorageModel& m_storage;
    // Each kind's share of the width as a fraction of the total, before and after the running change.
    std::map<JunkKind, double> m_from;
    std::map<JunkKind, double> m_to;
    std::int64_t m_total = 0;
    double m_progress = 1;
    QVariantAnimation* m_animation;
    QColor m_track;
};

} // namespace brisklet::ui
