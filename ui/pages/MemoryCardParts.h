#pragma once

#include "ui/components/ToneLabel.h"
#include "ui/theme/TextStyles.h"

#include <QFont>
#include <QList>
#include <QString>
#include <QWidget>

namespace brisklet::ui {

// The pieces the memory page's cards are made of.

// Below a card's last row or divider, so that a divider ends clear of the card's rounded corners.
inline constexpr int kCardBottomInset = 6;

// A hairline across a card, starting `indent` points from its left edge.
class CardDivider final : public QWidget {
    Q_OBJECT

public:
    explicit CardDivider(int indent = 0, QWidget* parent = nullptr);
    int indent() const { return m_indent; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_indent;
};

// One line of text in runs of their own style and tone, shortened in the middle of its last run
// when the line is too long: "node  server.js --port…3000" keeps both ends of a command in view.
class ElidedLine final : public QWidget {
    Q_OBJECT

public:
    struct Run {
        QString text;
        TextStyle style = TextStyle::body;
        QFont::Weight weight = QFont::Normal;
        ToneLabel::Tone tone = {}; // none for the text colour
    };
    static constexpr int runGap = 6;

    explicit ElidedLine(QWidget* parent = nullptr);
    void setRuns(QList<Run> runs);
    // The whole text, unshortened, runs joined by a space.
    QString text() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QFont runFont(const Run& run) const;

    QList<Run> m_runs;
};

// The first lines of a memory card: the title, a figure after it, and at the right a note.
struct CardHeader {
    QWidget* widget;
    ToneLabel* detail; // in the secondary colour; hidden while it has no text
    ToneLabel* note;
};
CardHeader makeCardHeader(const QString& title, const QString& note, QWidget* parent);

} // namespace brisklet::ui
