#include "core/junk/PlatformTexts.h"

namespace brisklet {

namespace {

constexpr PlatformTexts kMac{
    "macOS system cache · left unchecked to be safe",
    " couldn't be fully removed (in use or protected by macOS).",
    "Reveal in Finder",
    "Show in Finder",
    "Clean selected items below, or empty the whole Trash through Finder.",
    "macOS hides what's in the Trash unless brisklet has Full Disk Access. You can still empty it through "
    "Finder.",
    "Runs macOS's purge command to drop inactive cache. macOS asks for your admin password.",
    "macOS deliberately keeps spare RAM busy as cache, so a high number is fine while pressure stays green. "
    "Quitting heavy apps is what really frees memory; Free Up RAM only drops inactive cache.",
    "Macintosh HD",
};

constexpr PlatformTexts kLinux{
    "Desktop cache · left unchecked to be safe",
    " couldn't be fully removed (in use or protected by the system).",
    "Show in Folder",
    "Show in Folder",
    "Clean selected items below, or empty the whole Trash.",
    "brisklet can't read the Trash folder. You can still empty it.",
    "Asks the kernel to drop inactive file cache. You'll be asked for an administrator password.",
    "Linux deliberately keeps spare RAM busy as cache, so a high number is fine while pressure stays green. "
    "Quitting heavy apps is what really frees memory; Free Up RAM only drops inactive cache.",
    "Local Disk",
};

} // namespace

const PlatformTexts& platformTexts(JunkLayout layout) {
    return layout == JunkLayout::macOS ? kMac : kLinux;
}

} // namespace brisklet
