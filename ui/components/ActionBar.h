#pragma once

#include <QColor>
#include <QWidget>

class QHBoxLayout;

namespace brisklet::ui {

// The strip along the bottom of a page that holds its actions, set off from the content above by
// the bar material and a hairline.
class ActionBar final : public QWidget {
    Q_OBJECT

public:
    static constexpr int spacing = 12;
    static constexpr int sideInset = 24;
    static constexpr int verticalInset = 12;
    static constexpr double dividerOpacity = 0.1;

    explicit ActionBar(QWidget* parent = nullptr);

    // Takes the widget over and appends it to the row.
    void addWidget(QWidget* widget, int stretch = 0);
    void addStretch(int stretch = 1);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rebuildColors();

    QHBoxLayout* m_row;
    QColor m_fill;
    QColor m_divider;
};

} // namespace brisklet::ui
