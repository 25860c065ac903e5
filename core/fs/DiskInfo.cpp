#include "core/fs/DiskInfo.h"

#include "core/fs/Utf8.h"

#include <QFile>
#include <QStorageInfo>

namespace brisklet {

namespace {

std::optional<std::int64_t> figure(qint64 value) {
    if (value < 0) return std::nullopt;
    return static_cast<std::int64_t>(value);
}

} // namespace

const std::string& DiskInfo::defaultName() {
    static const std::string name = "Local Disk";
    return name;
}

DiskInfo DiskInfo::fromFigures(const std::optional<Figures>& figures) {
    if (!figures) return DiskInfo{defaultName(), 0, 0};
    DiskInfo info;
    info.name = figures->name && !figures->name->empty() ? *figures->name : defaultName();
    info.total = figures->total.value_or(0);
    info.available = figures->userAvailable ? *figures->userAvailable : figures->plainAvailable.value_or(0);
    return info;
}

DiskInfo DiskInfo::current(const std::filesystem::path& path) {
    QStorageInfo storage(QFile::decodeName(QByteArray::fromStdString(path.string())));
    storage.refresh();
    if (!storage.isValid() || !storage.isReady()) return fromFigures(std::nullopt);
    Figures figures;
    const QByteArray label = storage.name().toUtf8();
    if (!label.isEmpty())
        figures.name = validUtf8(std::string_view(label.constData(), static_cast<std::size_t>(label.size())));
    figures.total = figure(storage.bytesTotal());
    figures.userAvailable = figure(storage.bytesAvailable());
    figures.plainAvailable = figure(storage.bytesFree());
    return fromFigures(figures);
}

} // namespace brisklet
