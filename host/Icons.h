#pragma once

#include <QIcon>

#include <filesystem>
#include <string_view>

// Icons for what the host describes in plain names and paths. Needs a GUI application.
namespace brisklet::Icons {

// The icon a desktop entry names: a theme icon name, or a file path. Never a null icon.
QIcon forApp(std::string_view iconName);

// The icon of a file: an application's own icon for a desktop entry, else its type's theme icon.
// Never a null icon.
QIcon forFile(const std::filesystem::path& file);

} // namespace brisklet::Icons
