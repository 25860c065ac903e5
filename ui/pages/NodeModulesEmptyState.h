#pragma once

#include <QString>
#include <QWidget>

#include <functional>

namespace brisklet::ui {

class ProminentButton;
class ToneLabel;

// A page's content when there is no list to show: a symbol, a title and what to do, centred, with
// an optional button that does it.
class NodeModulesEmptyState final : public QWidget {
    Q_OBJECT

public:
    static constexpr int symbolSize = 40;

    // `action` is the button's label; empty for none.
    NodeModulesEmptyState(const QString& symbol, const QString& title, const QString& action = {},
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

    Symbol* m_image;
    ToneLabel* m_title;
    ToneLabel* m_description;
    ProminentButton* m_button = nullptr;
};

} // namespace brisklet::ui
