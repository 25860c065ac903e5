#include "core/junk/JunkKind.h"

namespace brisklet {

namespace {

struct KindText {
    std::string_view raw;
    std::string_view title;
    std::string_view subtitle;
    std::string_view symbol;
};

constexpr std::array<KindText, 5> kTexts = {{
    {"appCaches", "App Caches", "Temporary files apps download and rebuild on their own",
     "square.stack.3d.up.fill"},
    {"logs", "Logs & Crash Reports", "Diagnostic logs and old crash reports", "doc.text.fill"},
    {"xcode", "Xcode & Simulators", "DerivedData, simulator caches, device symbols, archives", "hammer.fill"},
    {"devCaches", "Developer Caches", "npm, Bun, Cargo, Gradle and Metro caches", "terminal.fill"},
    {"trash", "Trash", "Files you already deleted", "trash.fill"},
}};

const KindText& textOf(JunkKind kind) {
    return kTexts[static_cast<std::size_t>(kind)];
}

} // namespace

std::string_view rawValue(JunkKind kind) {
    return textOf(kind).raw;
}
std::string_view title(JunkKind kind) {
    return textOf(kind).title;
}
std::string_view subtitle(JunkKind kind) {
    return textOf(kind).subtitle;
}
std::string_view symbol(JunkKind kind) {
    return textOf(kind).symbol;
}

std::optional<JunkKind> junkKindFromRawValue(std::string_view raw) {
    for (const JunkKind kind : allJunkKinds)
        if (rawValue(kind) == raw) return kind;
    return std::nullopt;
}

} // namespace brisklet
