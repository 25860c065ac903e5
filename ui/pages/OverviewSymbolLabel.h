#pragma once

#include <QString>
#include <QWidget>

namespace brisklet::ui {

class ToneLabel;

// A heading with its symbol in front, both in the headline size and the secondary style ("Storage"
// with a drive, "Memory" with a chip).
class OverviewSymbolLabel final : public QWidget {
    Q_OBJECT

public:
    static constexpr int spacing = 6;

    OverviewSymbolLabel(const QString& text, const QString& symbol, QWidget* parent = nullptr);

    QString text() const;

private:
    class Symbol;

    ToneLabel* m_text;
};

} // namespace brisklet::ui
