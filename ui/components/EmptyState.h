#pragma once

#include "ui/theme/TextStyles.h"

#include <QFont>
#include <QString>
#include <QWidget>

namespace brisklet::ui {

class ProminentButton;
class ToneLabel;

// How an empty state sets its title and sentence; pages differ in how much the state has to say.
struct EmptyStateLook {
    TextStyle titleStyle = TextStyle::title2;
    QFont::Weight titleWeight = QFont::Bold;
    // The sentence's width, so it reads as a block; 0 lets it run across the whole page.
    int textWidth = 420;
};

// A page's content when there is no list to show: a symbol, a title and a sentence, centred, with
// an optional button that does what the sentence suggests.
class EmptyState final : public QWidget {
    Q_OBJECT

public:
    static constexpr int symbolSize = 40;

    // `action` is the button's label; empty for none.
    EmptyState(const QString& symbol, const QString& title, const QString& action = {}, EmptyStateLook look = {},
               QWidget* parent = nullptr);

    void setDescription(const QString& description);
    QString title() const;
    QString description() const;
    // Null when there is no button.
    ProminentButton* button() const { return m_button; }

signals:
    void actionRequested();

private:
    class Symbol;

    int m_textWidth;
    Symbol* m_image;
    ToneLabel* m_title;
    ToneLabel* m_description;
    ProminentButton* m_button = nullptr;
};

} // namespace brisklet::ui
