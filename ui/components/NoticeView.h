#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <functional>
#include <string_view>

class QLabel;
class QToolButton;

namespace brisklet::ui {

// A banner with the outcome of the last operation: orange with a warning sign for an error, green
// with a seal for a success, and a button that hands the dismissal back to the page.
class NoticeView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int spacing = 10;
    static constexpr int sideInset = 14;
    static constexpr int verticalInset = 10;
    static constexpr qreal cornerRadius = 10;
    static constexpr int symbolSize = 16;
    static constexpr double fillOpacity = 0.13;

    explicit NoticeView(QWidget* parent = nullptr);
    NoticeView(const QString& text, bool isError, std::function<void()> dismiss, QWidget* parent = nullptr);

    QString text() const;
    bool isError() const { return m_isError; }
    void setNotice(const QString& text, bool isError);
    void setDismiss(std::function<void()> dismiss) { m_dismiss = std::move(dismiss); }

    // The colour of the sign and of the fill: orange for an error, green for a success.
    QColor accent() const { return m_accent; }
    std::string_view symbolName() const;
    QRect symbolGeometry() const;
    QToolButton* dismissButton() const { return m_dismissButton; }

    // The height the wrapped text needs at the current width: layouts cap the banner at this.
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rebuildColors();

    QLabel* m_text;
    // Holds the sign's place in the row; the sign itself is painted with the background.
    QWidget* m_symbolSlot;
    QToolButton* m_dismissButton;
    std::function<void()> m_dismiss;
    bool m_isError = false;
    QColor m_accent;
    QColor m_fill;
};

} // namespace brisklet::ui
