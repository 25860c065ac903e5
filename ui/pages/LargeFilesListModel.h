#pragma once

#include "core/finders/LargeFileFinder.h"

#include <QAbstractListModel>
#include <QString>

#include <chrono>
#include <filesystem>
#include <optional>
#include <vector>

namespace brisklet {
class StorageModel;
}

namespace brisklet::ui {

// The storage model's large files as a flat list, in the model's order (largest first). Rows are
// read from the storage model as they are painted; this keeps only how many there are and the dates
// already worded, since wording one takes a fresh ICU formatter. A selection change only repaints
// the check marks; a new list replaces all rows.
class LargeFilesListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    // Everything one row draws, read in one go.
    struct Row {
        QString name;   // the file's name
        QString folder; // its folder, home-relative
        QString date;   // the medium date; empty when the file has none
        QString size;
        bool selected = false;
        std::filesystem::path path;
    };

    static constexpr int pathRole = Qt::UserRole + 1;

    // A file's date as its row shows it; empty for a file whose date nobody knows.
    static QString dateText(const std::optional<std::chrono::system_clock::time_point>& modified);

    LargeFilesListModel(StorageModel& storage, std::filesystem::path home, QObject* parent = nullptr);

    void setHome(std::filesystem::path home);

    // The file behind a row, or null; valid until the storage model's list next changes.
    const LargeFile* file(const QModelIndex& index) const;
    Row row(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const std::vector<LargeFile>* files() const;
    QString cachedDate(int row) const;
    void filesChanged();
    void selectionChanged();

    StorageModel& m_storage;
    std::filesystem::path m_home;
    int m_count = 0;
    mutable std::vector<std::optional<QString>> m_dates;
};

} // namespace brisklet::ui
