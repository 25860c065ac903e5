#pragma once

#include "core/junk/Locations.h"

#include <string_view>

namespace brisklet {

// Every sentence that names the operating system or its file manager, in one place per platform.
struct PlatformTexts {
    std::string_view systemCacheNote;      // on a cache the system itself owns
    std::string_view partialRemovalSuffix; // after "N items" in a cleaning notice
    std::string_view revealInFileManager;  // the menu command on a junk item
    std::string_view showInFileManager;    // the menu command on a file or app
    std::string_view trashHint;            // under the Trash category
    std::string_view trashUnreadable;      // when the Trash cannot be listed
    std::string_view purgeExplanation;     // under "Free Up RAM"
    std::string_view cacheExplanation;     // why a high memory figure is fine
    std::string_view defaultVolumeName;    // a volume with no name of its own
};

const PlatformTexts& platformTexts(JunkLayout layout);

} // namespace brisklet
