#include "app/ProgramEntry.h"

#include "app/Report.h"
#include "app/ReportJson.h"

#include <iostream>
#include <string_view>

#ifndef BRISKLET_VERSION
#error "BRISKLET_VERSION comes from the project's version in CMake"
#endif

namespace brisklet {

namespace {

bool present(int argc, const char* const* argv, std::string_view option) {
    for (int i = 0; i < argc; ++i)
        if (argv[i] != nullptr && std::string_view(argv[i]) == option) return true;
    return false;
}

} // namespace

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine command;
    command.json = present(argc, argv, "--json");
    command.startInTray = present(argc, argv, "--tray");
    if (present(argc, argv, "--help") || present(argc, argv, "-h")) {
        command.action = CommandLine::Action::help;
    } else if (present(argc, argv, "--version")) {
        command.action = CommandLine::Action::version;
    } else if (wantsReport(argc, argv)) {
        command.action = CommandLine::Action::report;
    } else if (command.json) {
        // Silently opening the window would leave a script that asked for JSON waiting for ever.
        command.action = CommandLine::Action::misuse;
        command.problem = "--json goes with --report";
    }
    return command;
}

bool wantsReport(int argc, const char* const* argv) {
    return present(argc, argv, "--report");
}

std::string usageText() {
    return "Usage: brisklet [--tray] [QT-OPTIONS]\n"
           "       brisklet --report [--json]\n"
           "       brisklet --help | --version\n"
           "\n"
           "Win back disk space and memory: junk, node_modules folders, large files, and the apps\n"
           "and processes that use memory. Without options brisklet opens its window and its tray\n"
           "item; a second start shows the window of the one already running.\n"
           "\n"
           "Options:\n"
           "  --tray         start in the tray with the window hidden (shown when there is no tray)\n"
           "  --report       print a plain-text report of disk, memory, junk and the heaviest\n"
           "                 processes, then exit; needs no display\n"
           "  --json         with --report: the same figures as one JSON document\n"
           "  -h, --help     print this help and exit\n"
           "  --version      print the version and exit\n"
           "\n"
           "Qt's own options (-platform NAME, -style NAME, …) are passed on to Qt.\n";
}

std::string versionText() {
    return std::string("brisklet ") + BRISKLET_VERSION + "\n";
}

int runCommandLine(const CommandLine& command) {
    switch (command.action) {
    case CommandLine::Action::help:
        std::cout << usageText() << std::flush;
        return 0;
    case CommandLine::Action::version:
        std::cout << versionText() << std::flush;
        return 0;
    case CommandLine::Action::report:
        if (command.json)
            Report::printJson();
        else
            Report::print();
        return 0;
    case CommandLine::Action::misuse:
        std::cerr << "brisklet: " << command.problem << "\n\n" << usageText() << std::flush;
        return 2;
    case CommandLine::Action::window:
        break;
    }
    return 0;
}

} // namespace brisklet
