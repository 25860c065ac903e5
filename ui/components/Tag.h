#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

class QPainter;

namespace brisklet::ui {

// A short label on a tinted capsule, such as a file's kind next to its name.
class Tag final : public QWidget {
    Q_OBJECT

public:
    static constexpr int horizontalInset = 6;
    static constexpr int verticalInset = 2;
    static constexpr double fillOpacity = 0.15;

    explicit Tag(QWidget* parent = nullptr);
    Tag(const QString& text, const QColor& color, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    // The same tag drawn straight onto a painter, for list rows that paint theirs: its font and size
    // from the row's font `base`, and the capsule with its text.
    static QFont textFont(const QFont& base);
    static QSize sizeFor(const QString& text, const QFont& base);
    static void paint(QPainter& painter, const QRectF& capsule, const QString& text, const QColor& color,
                      const QFont& base);

    QSize sizeHint() const override { return m_sizeHint; }
    QSize minimumSizeHint() const override { return m_sizeHint; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void relayout();

    QString m_text;
    QColor m_color = Qt::gray;
    // Measured when the text or the font changes.
    QSize m_sizeHint;
};

} // namespace brisklet::ui
