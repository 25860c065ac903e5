#pragma once

#include <QIcon>
#include <QWidget>

namespace brisklet::ui {

// An icon in a square of the given side, drawn at paint time so that it is sharp at whatever
// density it is painted (a pixmap in a label is fixed at the density it was made for).
class IconView final : public QWidget {
    Q_OBJECT

public:
    IconView(QIcon icon, int size, QWidget* parent = nullptr);

    const QIcon& icon() const { return m_icon; }
    QSize sizeHint() const override { return {m_size, m_size}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QIcon m_icon;
    int m_size;
};

} // namespace brisklet::ui
