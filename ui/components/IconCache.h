#pragma once

#include <QIcon>

#include <filesystem>
#include <functional>

// Files' icons by path, for the life of the process. Looking an icon up means reading desktop
// entries and the icon theme, far too slow to repeat for every row of a list on every repaint.
// Main thread only: the map is not locked.
namespace brisklet::ui::IconCache {

using Service = std::function<QIcon(const std::filesystem::path&)>;

// The icon cached for the path, or the service's answer, stored under the path first.
QIcon icon(const std::filesystem::path& path);

// Replaces where icons come from (by default the host's file icons) and forgets every cached icon,
// which came from the old source; an empty service restores the host's. For tests.
void setService(Service service);

} // namespace brisklet::ui::IconCache
