#pragma once

#include <QWidget>

class QVBoxLayout;

namespace brisklet::ui {

// A rounded panel that groups a page's content: the content fills the width, inset by the padding.
class Card final : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal cornerRadius = 16;
    static constexpr double outlineOpacity = 0.07;

    explicit Card(QWidget* parent = nullptr, int padding = 16);

    int padding() const { return m_padding; }
    void setPadding(int padding);

    QWidget* content() const { return m_content; }
    // Takes the content over; a previous content is deleted.
    void setContent(QWidget* content);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* m_layout;
    QWidget* m_content = nullptr;
    int m_padding;
};

} // namespace brisklet::ui
