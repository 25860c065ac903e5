#pragma once

#include <QString>

#include <array>
#include <optional>
#include <string_view>

namespace brisklet::ui {

// The window's five pages, in sidebar order.
enum class Page { overview, junk, nodeModules, largeFiles, memory };

inline constexpr std::array<Page, 5> allPages = {Page::overview, Page::junk, Page::nodeModules,
                                                 Page::largeFiles, Page::memory};

// Also the page's identifier, kept stable across versions.
std::string_view rawValue(Page page);
std::optional<Page> pageFromRawValue(std::string_view raw);
QString sidebarTitle(Page page);
std::string_view sidebarSymbol(Page page);
// The heading the page is listed under; empty for the pages above every section.
QString sectionTitle(Page page);

} // namespace brisklet::ui
