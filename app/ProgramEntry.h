#pragma once

#include <string>

namespace brisklet {

// What one start of the program was asked to do. Only brisklet's own "--" options are read here;
// every other argument is left for Qt (-platform, -style, …), which takes what it knows and ignores
// the rest, as brisklet always has.
struct CommandLine {
    enum class Action {
        window,  // the tray and the main window
        help,    // usage on standard output
        version, // "brisklet VERSION"
        report,  // the report on standard output, then exit
        misuse   // a combination that means nothing: usage on standard error, exit 2
    };
    Action action = Action::window;
    bool json = false;        // the report as one JSON document
    bool startInTray = false; // leave the window hidden when there is a tray to stay in
    std::string problem = {}; // why the command line was refused, with Action::misuse

    bool operator==(const CommandLine&) const = default;
};

// Decides from the arguments alone, before any Qt application object exists, so that --help,
// --version and the report work without a display. --help beats --version, which beats --report.
CommandLine parseCommandLine(int argc, const char* const* argv);

// True when any argument, the program's own path included, is exactly "--report".
bool wantsReport(int argc, const char* const* argv);

std::string usageText();
std::string versionText();

// Carries out every action except the window; returns the exit status.
int runCommandLine(const CommandLine& command);

} // namespace brisklet
