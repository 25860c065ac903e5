#pragma once

#include "app/CheckState.h"

#include <QAbstractButton>
#include <QColor>
#include <QString>

#include <functional>

class QVariantAnimation;

namespace brisklet::ui {

// A group's tri-state selection as one round symbol. It never changes its own state: clicking or
// Space only calls the action, and the page hands back whatever state the group has then.
class CheckBox final : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int symbolSize = 17;
    static constexpr int fadeMilliseconds = 150;

    explicit CheckBox(QWidget* parent = nullptr);
    CheckBox(CheckState state, std::function<void()> action, QWidget* parent = nullptr);

    CheckState state() const { return m_state; }
    // The old symbol fades into the new one, so a click visibly lands even when the page answers at once.
    void setState(CheckState state);
    // The running fade; tests step it with setCurrentTime.
    QVariantAnimation* fadeAnimation() const { return m_fadeAnimation; }

    void setAction(std::function<void()> action) { m_action = std::move(action); }

    // The symbol and tint of a state, and what accessibility reads for it.
    static const char* symbolName(CheckState state);
    QColor symbolColor(CheckState state) const;
    static QString accessibleLabel(CheckState state);

    // Room around the symbol for the keyboard focus ring.
    static constexpr int focusMargin = 2;

    QSize sizeHint() const override { return {symbolSize + 2 * focusMargin, symbolSize + 2 * focusMargin}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    CheckState m_state = CheckState::off;
    CheckState m_previous = CheckState::off;
    // How far the previous symbol has given way to the current one: 1 when no fade runs.
    double m_fade = 1;
    std::function<void()> m_action;
    QVariantAnimation* m_fadeAnimation;
};

} // namespace brisklet::ui
