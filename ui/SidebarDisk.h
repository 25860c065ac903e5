#pragma once

#include "core/fs/DiskInfo.h"

#include <QWidget>

namespace brisklet::ui {

// The home volume at the sidebar's foot: its name, how full it is as a bar, and what is left.
class SidebarDisk final : public QWidget {
    Q_OBJECT

public:
    static constexpr int padding = 11;
    static constexpr int spacing = 7;
    static constexpr int barHeight = 6;
    static constexpr qreal radius = 10;
    // Above this the bar turns red: the volume is close to full.
    static constexpr double warningFraction = 0.9;

    explicit SidebarDisk(QWidget* parent = nullptr);

    void setDisk(const DiskInfo& disk);

    // The bar's track, for anyone checking what was drawn there.
    QRectF barGeometry() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int rowHeight() const;

    DiskInfo m_disk;
};

} // namespace brisklet::ui
