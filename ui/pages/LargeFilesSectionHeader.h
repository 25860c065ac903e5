#pragma once

#include <QWidget>

#include <cstdint>

class QLabel;

namespace brisklet::ui {

// The line above the large files' list: how many are listed and how much they take together.
class LargeFilesSectionHeader final : public QWidget {
    Q_OBJECT

public:
    explicit LargeFilesSectionHeader(QWidget* parent = nullptr);

    void setTotals(std::size_t count, std::int64_t bytes);
    QString text() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuildColors();

    QLabel* m_text;
};

} // namespace brisklet::ui
