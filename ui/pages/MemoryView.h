#pragma once

#include "app/AppUsage.h"
#include "ui/pages/PageContext.h"

#include <QModelIndex>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QMenu;
class QMessageBox;
class QScrollArea;

namespace brisklet::ui {

struct Confirmation;
class AppListView;
class BackgroundCard;
class DevProcessesCard;
class MemoryAppsCard;
class MemorySummaryCard;
class NoticeView;
class PageHeader;
class ProminentButton;
class SelectionBar;
class Spinner;
class ToneLabel;

// The memory page: the figures as a ring, a bar and a three-minute line; the running apps with their
// helpers added up, each to quit or force quit, or many at once; the developer runtimes left
// running, each to stop; and the heaviest background processes for reference. Everything shown is
// read from the memory model, the selection included; the page keeps only which app or process its
// open question is about.
class MemoryView final : public QWidget {
    Q_OBJECT

public:
    explicit MemoryView(const PageContext& context, QWidget* parent = nullptr);
    ~MemoryView() override;

    PageHeader* header() const { return m_header; }
    ProminentButton* freeUpButton() const { return m_freeUp; }
    Spinner* purgeSpinner() const { return m_purgeSpinner; }
    QScrollArea* scrollArea() const { return m_scroll; }
    NoticeView* notice() const { return m_notice; }
    MemorySummaryCard* summary() const { return m_summary; }
    MemoryAppsCard* apps() const { return m_apps; }
    AppListView* appList() const;
    DevProcessesCard* devProcesses() const { return m_dev; }
    BackgroundCard* background() const { return m_background; }
    ToneLabel* caption() const { return m_caption; }
    SelectionBar* bottomBar() const { return m_bar; }

    // The app or process an open question is about; none while no question is open.
    const std::optional<AppUsage>& forceQuitTarget() const { return m_forceQuitTarget; }
    const std::optional<DevProcess>& stopTarget() const { return m_stopTarget; }

    // Asks before ending every process of the app at once; an open question is brought back.
    QMessageBox* askForceQuit(const AppUsage& app);
    // Asks before sending the process a stop signal.
    QMessageBox* askStop(const DevProcess& process);
    // The app row's menu, opened at `globalPos`; null for a row that is gone.
    QMenu* openMenu(const QModelIndex& index, const QPoint& globalPos);

    // The question's words, with the stand-ins for a question about nothing.
    static QString forceQuitTitle(const std::optional<AppUsage>& app);
    static QString stopTitle(const std::optional<DevProcess>& process);
    static QString stopMessage(const DevProcess& process);

private:
    void updatePurging();
    void updateNotice();
    void updateDevProcesses();
    void updateBar();
    void keepCurrentRowInView(const QModelIndex& current);
    // Raises the question already open, if any: one question at a time.
    bool bringQuestionBack();
    void ask(const Confirmation& question, std::function<void()> onConfirm);

    const PageContext m_context;
    PageHeader* m_header;
    ProminentButton* m_freeUp;
    Spinner* m_purgeSpinner;
    QScrollArea* m_scroll;
    NoticeView* m_notice;
    MemorySummaryCard* m_summary;
    MemoryAppsCard* m_apps;
    DevProcessesCard* m_dev;
    BackgroundCard* m_background;
    ToneLabel* m_caption;
    SelectionBar* m_bar;
    std::optional<AppUsage> m_forceQuitTarget;
    std::optional<DevProcess> m_stopTarget;
    QPointer<QMessageBox> m_question;
};

} // namespace brisklet::ui
