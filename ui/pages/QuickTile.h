#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <functional>

namespace brisklet::ui {

class Palette;
class TileButton;
class ToneLabel;

// One of the overview's shortcuts: a tile with its symbol on a tinted square above a title and a
// one-line subtitle. Pressing it (click, Space or Return) calls the action.
class QuickTile final : public QWidget {
    Q_OBJECT

public:
    static constexpr int badgeSide = 34;
    static constexpr qreal badgeRadius = 9;
    static constexpr int symbolSize = 16;
    static constexpr int badgeGap = 12;
    static constexpr int titleGap = 2;

    // The tint is picked from the theme, again whenever light and dark switch.
    using TintOf = std::function<QColor(const Palette&)>;

    QuickTile(const QString& symbol, TintOf tint, const QString& title, const QString& subtitle,
              std::function<void()> action, QWidget* parent = nullptr);

    QString title() const;
    QString subtitle() const;
    void setSubtitle(const QString& subtitle);
    // The tile itself, which takes the focus and the clicks.
    TileButton* button() const { return m_button; }

private:
    class Badge;

    TileButton* m_button;
    ToneLabel* m_title;
    ToneLabel* m_subtitle;
};

} // namespace brisklet::ui
