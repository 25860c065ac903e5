#pragma once

namespace brisklet {

struct StartOptions {
    // Start in the tray with the window hidden, as at login; without a tray the window shows anyway,
    // or brisklet would run with no way in.
    bool startInTray = false;
};

// Names brisklet towards the desktop the way its desktop entry does: application name, display
// name, desktop file name. Call before the application object exists.
void setDesktopIdentity();

// Starts the windowed application and runs its event loop until the user quits.
int runApplication(int argc, char* argv[], StartOptions options = {});

} // namespace brisklet
