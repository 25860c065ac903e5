#include "ui/components/IconCache.h"

#include "host/Icons.h"

#include <string>
#include <unordered_map>

namespace brisklet::ui::IconCache {

namespace {

struct Cache {
    Service service = &Icons::forFile;
    std::unordered_map<std::string, QIcon> icons;
};

Cache& cache() {
    static Cache instance;
    return instance;
}

} // namespace

QIcon icon(const std::filesystem::path& path) {
    Cache& c = cache();
    const auto found = c.icons.find(path.native());
    if (found != c.icons.end()) return found->second;
    QIcon fetched = c.service(path);
    c.icons.emplace(path.native(), fetched);
    return fetched;
}

void setService(Service service) {
    Cache& c = cache();
    c.service = service ? std::move(service) : Service(&Icons::forFile);
    c.icons.clear();
}

} // namespace brisklet::ui::IconCache
