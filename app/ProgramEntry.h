#pragma once

namespace brisklet {

// True when any argument, the program's own path included, is exactly "--report".
bool wantsReport(int argc, const char* const* argv);

} // namespace brisklet
