#pragma once

#include "app/AppUsage.h"

#include <QIcon>
#include <QRect>
#include <QString>

#include <cstdint>

class QPainter;
class QStyleOptionViewItem;
class QWidget;

namespace brisklet::ui {

// One running app in the memory page's list, as its row is painted: the check box, the icon, the
// name with its tags and process count over a bar of its share of the biggest app, the memory
// figure and a small "Quit" button. The list paints the rows and answers their clicks; this says
// where everything is.
struct AppRow {
    const AppUsage& usage;
    double share = 0; // the app's memory relative to the biggest app's, 0…1
    bool isSelected = false;

    static constexpr int sideInset = 16;
    static constexpr int verticalInset = 9;
    static constexpr int checkSize = 17;
    static constexpr int iconSize = 30;
    static constexpr int gap = 12;
    static constexpr int lineGap = 5;
    static constexpr int tagGap = 6;
    static constexpr int shareTrackWidth = 260;
    static constexpr int shareBarHeight = 4;
    static constexpr qreal shareBarMinimum = 3;
    static constexpr int figureMinimumWidth = 80;
    static constexpr int dividerIndent = 84;

    // How the row looks beyond the app itself.
    struct Look {
        QIcon icon;
        QString figure;
        bool current = false; // the keyboard's row while the list has the focus
        bool quitHovered = false;
        bool quitPressed = false;
        bool divider = true; // every row but the last is followed by a divider
    };

    // An app's share of the biggest one; a biggest app of nothing counts as one byte.
    static double shareOf(std::uint64_t memory, std::uint64_t biggest);
    // The width of the share bar in a track of the given width: never under three points, so an
    // app of next to nothing still shows.
    static qreal shareBarWidth(qreal trackWidth, double share);

    // One height for every row, from the row's font.
    static int height(const QFont& base);
    static QRect checkBoxRect(const QRect& row);
    // The "Quit" button, drawn by the view's style.
    static QRect quitButtonRect(const QRect& row, const QWidget& view);
    static QString quitText() { return QStringLiteral("Quit"); }

    // "3 processes" from two processes up; nothing for one.
    QString processesText() const;
    // What assistive tools read for the row: "Firefox, 1.2 GB, 6 processes, No open windows, Selected".
    QString accessibleText(const QString& figure) const;

    void paint(QPainter& painter, const QStyleOptionViewItem& option, const Look& look, const QWidget& view) const;
};

} // namespace brisklet::ui
