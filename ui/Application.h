#pragma once

namespace brisklet {

// Starts the windowed application and runs its event loop until the user quits.
int runApplication(int argc, char* argv[]);

} // namespace brisklet
