#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <functional>

class QHBoxLayout;
class QLabel;

namespace brisklet::ui {

class Palette;

// The top of a page: its symbol on a tinted square, its title over a one-line explanation, and an
// optional accessory (a button, a pill) at the right.
class PageHeader final : public QWidget {
    Q_OBJECT

public:
    static constexpr int badgeSize = 44;
    static constexpr qreal badgeRadius = 11;
    static constexpr int symbolSize = 20;
    static constexpr int spacing = 14;
    static constexpr int sideInset = 24;
    static constexpr int topInset = 20;
    static constexpr int bottomInset = 14;

    explicit PageHeader(QWidget* parent = nullptr);
    PageHeader(const QString& title, const QString& subtitle, const QString& symbol, const QColor& tint,
               QWidget* parent = nullptr);

    QString title() const;
    void setTitle(const QString& title);
    QString subtitle() const;
    void setSubtitle(const QString& subtitle);
    QString symbol() const;
    void setSymbol(const QString& symbol);
    // Picks the tint from the theme; it is picked again whenever light and dark switch, since the
    // system colours differ between them. Brand colours may be given as a plain colour instead.
    using TintOf = std::function<QColor(const Palette&)>;
    PageHeader(const QString& title, const QString& subtitle, const QString& symbol, TintOf tintOf,
               QWidget* parent = nullptr);

    QColor tint() const;
    void setTint(const QColor& tint);
    void setTint(TintOf tintOf);

    QWidget* accessory() const { return m_accessory; }
    // Takes the accessory over; a previous one is deleted. Null leaves the right side empty.
    void setAccessory(QWidget* accessory);

    // The square's place, for anyone lining other content up with it.
    QRect badgeGeometry() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    class Badge;

    void rebuildColors();

    QHBoxLayout* m_row;
    Badge* m_badge;
    QLabel* m_title;
    QLabel* m_subtitle;
    QWidget* m_accessory = nullptr;
    TintOf m_tintOf;
};

} // namespace brisklet::ui
