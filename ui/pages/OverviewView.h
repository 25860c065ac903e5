#pragma once

#include "ui/pages/PageContext.h"

#include <QString>
#include <QWidget>

class QMessageBox;

namespace brisklet::ui {

class NoticeView;
class OverviewFigureCard;
class OverviewJunkCard;
class PressurePill;
class QuickTile;

// The landing page: a greeting, the disk and memory at a glance, what junk there is with the way to
// clean it, and shortcuts to the other pages. It shows what the models hold and starts nothing by
// itself: the first scan comes from the window or from this page's "Scan".
class OverviewView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int inset = 28;
    static constexpr int widest = 1000;
    static constexpr int spacing = 20;
    static constexpr int tileSpacing = 14;

    OverviewView(const PageContext& context, QWidget* parent = nullptr);

    // "Clean 1.2 GB of junk?" and "Empty the Trash?", opened over the window; they go ahead only
    // when the user confirms.
    QMessageBox* confirmClean();
    QMessageBox* confirmTrash();

    // What the Empty Trash tile says under its title for the Trash as the model holds it.
    static QString trashSubtitle(const StorageModel& storage);

    NoticeView* notice() const { return m_notice; }
    OverviewFigureCard* storageCard() const { return m_storageCard; }
    OverviewFigureCard* memoryCard() const { return m_memoryCard; }
    OverviewJunkCard* junkCard() const { return m_junkCard; }
    QuickTile* freeUpTile() const { return m_freeUp; }
    QuickTile* trashTile() const { return m_trash; }
    QuickTile* nodeModulesTile() const { return m_nodeModules; }
    QuickTile* largeFilesTile() const { return m_largeFiles; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildGreeting(QWidget* parent);
    QWidget* buildTiles(QWidget* parent);
    void updateDisk();
    void updateMemory();
    void updateNotice();
    void updatePurging();
    void updateTrash();

    PageContext m_context;
    NoticeView* m_notice = nullptr;
    OverviewFigureCard* m_storageCard = nullptr;
    OverviewFigureCard* m_memoryCard = nullptr;
    PressurePill* m_pill = nullptr;
    OverviewJunkCard* m_junkCard = nullptr;
    QuickTile* m_freeUp = nullptr;
    QuickTile* m_trash = nullptr;
    QuickTile* m_nodeModules = nullptr;
    QuickTile* m_largeFiles = nullptr;
};

} // namespace brisklet::ui
