#pragma once

#include "core/finders/NodeModulesFinder.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QString>

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace brisklet {
class StorageModel;
}

namespace brisklet::ui {

// The node_modules folders the storage model lists, one row each in the model's order (largest
// first). A new list replaces every row; a selection change only repaints the check marks, so the
// current row, the scroll position and anything pointing at a row all stay where they are.
class NodeModulesListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    // What one row shows, worded once and kept until the list or the clock's reading changes.
    struct Texts {
        QString name;   // the project folder's own name
        QString path;   // the project folder, home-relative
        QString edited; // "edited 3 weeks ago", empty when the date is unknown
        QString size;
    };

    using Clock = std::function<QDateTime()>;

    NodeModulesListModel(StorageModel& storage, std::filesystem::path home, QObject* parent = nullptr);

    void setHome(std::filesystem::path home);
    // Where "now" comes from for the "edited" wording; the system clock unless a test pins it.
    void setClock(Clock clock);
    // Words the dates afresh from the clock's reading now: a list left open for days ages with it.
    void rewordDates();

    // The folder behind a row, or null; valid until the storage model's list next changes.
    const NodeModulesFolder* folder(const QModelIndex& index) const;
    const Texts& texts(const QModelIndex& index) const;
    bool isSelected(const QModelIndex& index) const;

    // The words of one folder's row, with `home` as "~" and dates worded from `now`.
    static Texts textsFor(const NodeModulesFolder& folder, const std::filesystem::path& home, const QDateTime& now);
    // What assistive tools read for a row: "my-app, 312 MB, edited 3 weeks ago, Selected".
    static QString accessibleText(const Texts& texts, bool selected);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void listChanged();
    void selectionChanged();
    void forgetTexts();

    StorageModel& m_storage;
    std::filesystem::path m_home;
    Clock m_clock;
    // Worded on first paint: a list of thousands words only the rows that are on screen.
    mutable std::vector<std::optional<Texts>> m_texts;
    mutable std::optional<QDateTime> m_now;
};

} // namespace brisklet::ui
