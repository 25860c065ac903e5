#include "app/ProgramEntry.h"
#include "ui/Application.h"

int main(int argc, char* argv[]) {
    // Help, version and the report must not touch the GUI: decide before any Qt application
    // object exists.
    const brisklet::CommandLine command = brisklet::parseCommandLine(argc, argv);
    if (command.action != brisklet::CommandLine::Action::window) return brisklet::runCommandLine(command);
    return brisklet::runApplication(argc, argv, {.startInTray = command.startInTray});
}
