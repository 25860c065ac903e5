#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace brisklet {

// The five junk categories, in the order every list shows them.
enum class JunkKind { appCaches, logs, xcode, devCaches, trash };

inline constexpr std::array<JunkKind, 5> allJunkKinds = {JunkKind::appCaches, JunkKind::logs, JunkKind::xcode,
                                                         JunkKind::devCaches, JunkKind::trash};

// The raw value doubles as the kind's identifier ("appCaches", …).
std::string_view rawValue(JunkKind kind);
std::optional<JunkKind> junkKindFromRawValue(std::string_view raw);

std::string_view title(JunkKind kind);
std::string_view subtitle(JunkKind kind);
// The symbol name the junk page draws for the kind.
std::string_view symbol(JunkKind kind);

} // namespace brisklet
