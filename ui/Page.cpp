#include "ui/Page.h"

namespace brisklet::ui {

std::string_view rawValue(Page page) {
    switch (page) {
    case Page::overview:
        return "overview";
    case Page::junk:
        return "junk";
    case Page::nodeModules:
        return "nodeModules";
    case Page::largeFiles:
        return "largeFiles";
    case Page::memory:
        return "memory";
    }
    return {};
}

std::optional<Page> pageFromRawValue(std::string_view raw) {
    for (const Page page : allPages)
        if (rawValue(page) == raw) return page;
    return std::nullopt;
}

QString sidebarTitle(Page page) {
    switch (page) {
    case Page::overview:
        return QStringLiteral("Overview");
    case Page::junk:
        return QStringLiteral("System Junk");
    case Page::nodeModules:
        return QStringLiteral("node_modules");
    case Page::largeFiles:
        return QStringLiteral("Large Files");
    case Page::memory:
        return QStringLiteral("Memory");
    }
    return {};
}

std::string_view sidebarSymbol(Page page) {
    switch (page) {
    case Page::overview:
        return "gauge.with.dots.needle.67percent";
    case Page::junk:
        return "sparkles";
    case Page::nodeModules:
        return "shippingbox";
    case Page::largeFiles:
        return "doc.viewfinder";
    case Page::memory:
        return "memorychip";
    }
    return {};
}

QString sectionTitle(Page page) {
    switch (page) {
    case Page::overview:
        return {};
    case Page::junk:
    case Page::nodeModules:
    case Page::largeFiles:
        return QStringLiteral("Storage");
    case Page::memory:
        return QStringLiteral("Memory");
    }
    return {};
}

} // namespace brisklet::ui
