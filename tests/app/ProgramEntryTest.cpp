#include "app/ProgramEntry.h"

#include <gtest/gtest.h>

#include <vector>

namespace brisklet {
namespace {

using Action = CommandLine::Action;

// Help beats version, which beats the report (picked before Qt starts, by the exact switch
// anywhere, the program's own path too); Qt's own options, stray words and near misses are left alone.
TEST(CommandLine, EachOptionSelectsItsAction) {
    const CommandLine help{.action = Action::help}, report{.action = Action::report},
        tray{.startInTray = true};
    const std::pair<std::vector<const char*>, CommandLine> rows[] = {
        {{}, {}},
        {{"brisklet", "--help"}, help},
        {{"brisklet", "-h"}, help},
        {{"brisklet", "--report", "--version", "--help"}, help},
        {{"brisklet", "--version"}, {.action = Action::version}},
        {{"brisklet", "--report", "--version"}, {.action = Action::version}},
        {{"--report"}, report},
        {{"brisklet", "x", "--report", "y"}, report},
        {{"brisklet", "--json", "--report"}, {.action = Action::report, .json = true}},
        {{"brisklet", "--tray", "--report"}, {.action = Action::report, .startInTray = true}},
        {{"brisklet", "--tray"}, tray},
        {{"brisklet", "-platform", "offscreen", "--tray"}, tray},
        {{"brisklet", "--Help", "-help", "--versions", "-tray", "--report=json"}, {}},
        {{"brisklet", "--Report", "-report", "---report", "--report "}, {}},
    };
    for (const auto& [args, expected] : rows) {
        const int argc = static_cast<int>(args.size());
        EXPECT_EQ(parseCommandLine(argc, args.data()), expected) << argc;
        const bool pickedFirst = expected.action == Action::help || expected.action == Action::version;
        EXPECT_TRUE(pickedFirst || wantsReport(argc, args.data()) == (expected.action == Action::report))
            << argc;
    }
    // The JSON switch alone is refused rather than opening the window (its words and exit status are
    // the command-line script's to check, as are the version and the usage's first lines).
    const char* json[] = {"brisklet", "--json"};
    EXPECT_EQ(parseCommandLine(2, json).action, Action::misuse);
}

} // namespace
} // namespace brisklet
