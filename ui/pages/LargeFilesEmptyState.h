#pragma once

#include <QString>
#include <QWidget>

class QLabel;

namespace brisklet::ui {

// What the page shows when a search found nothing: a sign, a title and a sentence, centred.
class LargeFilesEmptyState final : public QWidget {
    Q_OBJECT

public:
    explicit LargeFilesEmptyState(QWidget* parent = nullptr);

    void setDescription(const QString& text);
    QString title() const;
    QString description() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rebuildColors();

    // Holds the sign's place in the column; the sign itself is painted by the panel.
    QWidget* m_symbolSlot;
    QLabel* m_title;
    QLabel* m_description;
};

} // namespace brisklet::ui
