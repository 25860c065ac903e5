#include "core/junk/JunkItem.h"

namespace {

void combine(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

} // namespace

std::size_t std::hash<brisklet::JunkItem>::operator()(const brisklet::JunkItem& item) const noexcept {
    std::size_t seed = std::hash<std::string>{}(item.url.native());
    combine(seed, std::hash<std::string>{}(item.name));
    combine(seed, std::hash<std::int64_t>{}(item.size));
    combine(seed, std::hash<bool>{}(item.recommended));
    combine(seed, item.note ? std::hash<std::string>{}(*item.note) : 0);
    combine(seed, item.appURL ? std::hash<std::string>{}(item.appURL->native()) : 0);
    return seed;
}
