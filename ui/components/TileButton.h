#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QString>

class QVariantAnimation;

namespace brisklet::ui {

// A wide clickable tile: an optional icon, a title and a detail line on a rounded panel that lights
// its outline under the pointer and sinks a little while pressed.
class TileButton final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int inset = 16;
    static constexpr qreal radius = 14;
    static constexpr double hoverOutlineOpacity = 0.55;
    static constexpr double restingOutlineOpacity = 0.07;
    static constexpr double pressedScale = 0.98;
    static constexpr int animationMilliseconds = 150;
    static constexpr int iconSide = 28;

    explicit TileButton(QWidget* parent = nullptr);
    TileButton(const QString& title, const QString& detail, QWidget* parent = nullptr);
    ~TileButton() override;

    QString detail() const { return m_detail; }
    void setDetail(const QString& detail);

    bool isHovering() const { return m_hovering; }
    // What the tile shows now, which lags behind hover and press while they animate.
    QColor outlineColor() const;
    qreal scale() const;

    // The running changes; tests step them with setCurrentTime.
    QVariantAnimation* hoverAnimation() const { return m_hoverAnimation; }
    QVariantAnimation* pressAnimation() const { return m_pressAnimation; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setHovering(bool hovering);
    void animateTo(QVariantAnimation* animation, double& shown, double target);

    QString m_detail;
    bool m_hovering = false;
    // 0 at rest, 1 fully hovered or pressed.
    double m_hoverShown = 0;
    double m_pressShown = 0;
    QVariantAnimation* m_hoverAnimation;
    QVariantAnimation* m_pressAnimation;
};

} // namespace brisklet::ui
