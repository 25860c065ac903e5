#pragma once

#include "core/junk/JunkKind.h"

#include <QWidget>

#include <array>

namespace brisklet {
class StorageModel;
} // namespace brisklet

namespace brisklet::ui {

class Spinner;
class ToneLabel;

// The key to the breakdown bar: each junk kind with its colour, its title and what is known of it
// (still scanning, unreadable, or its size), in as many columns as the width allows.
class OverviewLegend final : public QWidget {
    Q_OBJECT

public:
    static constexpr int minimumColumnWidth = 200;
    static constexpr int columnSpacing = 18;
    static constexpr int rowSpacing = 10;
    static constexpr int entrySpacing = 8;
    static constexpr int dotSide = 8;

    explicit OverviewLegend(StorageModel& storage, QWidget* parent = nullptr);

    // What an entry shows after its title: empty while the kind is scanning (the spinner shows then).
    QString status(JunkKind kind) const;
    bool isSpinning(JunkKind kind) const;
    int columns() const { return m_columns; }

    // How many columns of at least the minimum width fit across `width`.
    static int columnsFor(int width);

    // The entries are placed by hand, as the number of columns follows the width: a grid layout
    // would learn its height only one pass after learning its width.
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Entry {
        QWidget* row = nullptr;
        Spinner* spinner = nullptr;
        ToneLabel* status = nullptr;
    };

    class Dot;

    void refresh();
    void place();
    int rowHeight() const;

    StorageModel& m_storage;
    std::array<Entry, allJunkKinds.size()> m_entries;
    int m_columns = 1;
};

} // namespace brisklet::ui
