#pragma once

#include "core/proc/MemorySnapshot.h"

#include <QWidget>

#include <vector>

namespace brisklet::ui {

class Palette;

// Where the memory goes, as one stacked bar: app memory, wired, compressed and cached side by side
// in capsules of their colours. The track left empty at the right is the free memory.
class MemoryBar final : public QWidget {
    Q_OBJECT

public:
    static constexpr int barHeight = 12;
    static constexpr qreal gap = 2;
    static constexpr double trackOpacity = 0.07;

    enum class Part { app, wired, compressed, cached };
    struct Capsule {
        Part part;
        qreal left = 0;
        qreal width = 0;
        bool operator==(const Capsule&) const = default;
    };

    explicit MemoryBar(QWidget* parent = nullptr);

    const MemorySnapshot& snapshot() const { return m_snapshot; }
    void setSnapshot(const MemorySnapshot& snapshot);

    // The four capsules for a bar `width` wide, in order, each as wide as its share of the total less
    // the gap after it, never below nothing and never past the track's end. A snapshot without a
    // total draws an empty track.
    static std::vector<Capsule> capsules(const MemorySnapshot& snapshot, qreal width);
    // The colour each part is drawn in, which the legend uses too.
    static QColor color(Part part, const Palette& colors);

    QSize sizeHint() const override { return {240, barHeight}; }
    QSize minimumSizeHint() const override { return {40, barHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    MemorySnapshot m_snapshot;
};

} // namespace brisklet::ui
