#pragma once

#include <QWidget>

#include <functional>

class QPushButton;

namespace brisklet {
class StorageModel;
} // namespace brisklet

namespace brisklet::ui {

class Card;
class JunkBreakdownBar;
class OverviewFigure;
class OverviewLegend;
class Spinner;
class ProminentButton;
class ToneLabel;

// The overview's summary of junk. Before anything was scanned it offers the first scan; from the
// first scan on it shows the total found, the breakdown by kind and the way to review or clean it.
class OverviewJunkCard final : public QWidget {
    Q_OBJECT

public:
    static constexpr int padding = 20;
    static constexpr int spacing = 16;
    static constexpr int totalSize = 40;
    static constexpr int scanMinimumWidth = 80;
    static constexpr int cleanMinimumWidth = 90;

    // `review` leads to the junk page; `clean` asks before cleaning the selection.
    OverviewJunkCard(StorageModel& storage, std::function<void()> review, std::function<void()> clean,
                     QWidget* parent = nullptr);

    // True while the card offers the first scan.
    bool offersFirstScan() const;

    QPushButton* scanButton() const;
    QPushButton* reviewButton() const { return m_review; }
    QPushButton* cleanButton() const;
    QString heading() const;
    OverviewFigure* total() const { return m_total; }
    Spinner* cleaningSpinner() const { return m_cleaning; }
    JunkBreakdownBar* bar() const { return m_bar; }
    OverviewLegend* legend() const { return m_legend; }

private:
    QWidget* buildFirstScan();
    QWidget* buildFindings(std::function<void()> review, std::function<void()> clean);
    void updateForm();
    void updateHeading();
    void updateTotal();
    void updateClean();

    StorageModel& m_storage;
    QWidget* m_firstScan;
    QWidget* m_findings;
    ProminentButton* m_scan = nullptr;
    ToneLabel* m_heading = nullptr;
    OverviewFigure* m_total = nullptr;
    Spinner* m_cleaning = nullptr;
    QPushButton* m_review = nullptr;
    ProminentButton* m_clean = nullptr;
    JunkBreakdownBar* m_bar = nullptr;
    OverviewLegend* m_legend = nullptr;
};

} // namespace brisklet::ui
