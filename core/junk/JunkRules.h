#pragma once

#include "core/junk/JunkScanner.h"
#include "core/junk/Locations.h"

#include <string>
#include <string_view>
#include <vector>

// What each junk kind offers, unmeasured and in the order found. Each rule reads only its own
// folders; a folder that is missing or unreadable offers nothing.
namespace brisklet::JunkRules {

using Candidates = std::vector<JunkScanner::Candidate>;

Candidates appCaches(const Locations& locations);
Candidates logs(const Locations& locations);
Candidates xcode(const Locations& locations);
Candidates devCaches(const Locations& locations);

// How a DerivedData folder is shown: "MyApp-abcdefghijklmnopqrstuvwxyz" reads as "MyApp" when the
// part after the last dash is a hash of 20 or more letters; anything else keeps its full name.
std::string derivedDataName(std::string_view folderName);

} // namespace brisklet::JunkRules
