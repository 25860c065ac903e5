#include "app/ProgramEntry.h"

#include <gtest/gtest.h>

#include <vector>

namespace brisklet {
namespace {

using Action = CommandLine::Action;

CommandLine parse(std::vector<const char*> args) {
    return parseCommandLine(static_cast<int>(args.size()), args.data());
}

// The report is picked before Qt starts, by the exact switch anywhere, the program's own path too.
TEST(CommandLine, OnlyTheExactSwitchSelectsTheReportBeforeQtStarts) {
    const std::pair<std::vector<const char*>, bool> rows[] = {{{"brisklet", "--report"}, true},
                                                              {{"brisklet", "-x", "--report", "y"}, true},
                                                              {{"--report"}, true},
                                                              {{"brisklet"}, false},
                                                              {{"brisklet", "--Report"}, false},
                                                              {{"brisklet", "-report"}, false},
                                                              {{"brisklet", "---report"}, false},
                                                              {{"brisklet", "--report "}, false},
                                                              {{}, false}};
    for (const auto& [args, wanted] : rows)
        EXPECT_EQ(wantsReport(static_cast<int>(args.size()), args.data()), wanted) << args.size();
}

TEST(CommandLine, EachOptionSelectsItsAction) {
    EXPECT_EQ(parse({"brisklet"}), CommandLine{});
    EXPECT_EQ(parse({"brisklet", "--help"}).action, Action::help);
    EXPECT_EQ(parse({"brisklet", "-h"}).action, Action::help);
    EXPECT_EQ(parse({"brisklet", "--version"}).action, Action::version);
    EXPECT_EQ(parse({"brisklet", "--report"}), (CommandLine{.action = Action::report}));
    EXPECT_EQ(parse({"brisklet", "--json", "--report"}),
              (CommandLine{.action = Action::report, .json = true}));
    EXPECT_EQ(parse({"brisklet", "--tray"}), (CommandLine{.startInTray = true}));
}

TEST(CommandLine, HelpBeatsVersionWhichBeatsTheReport) {
    EXPECT_EQ(parse({"brisklet", "--report", "--version", "--help"}).action, Action::help);
    EXPECT_EQ(parse({"brisklet", "--report", "--version"}).action, Action::version);
    EXPECT_EQ(parse({"brisklet", "--tray", "--report"}).action, Action::report);
}

TEST(CommandLine, QtsOptionsAndStrayArgumentsAreLeftAlone) {
    EXPECT_EQ(parse({"brisklet", "-platform", "offscreen", "-style", "Fusion"}), CommandLine{});
    EXPECT_EQ(parse({"brisklet", "-platform", "offscreen", "--tray"}), (CommandLine{.startInTray = true}));
    EXPECT_EQ(parse({"brisklet", "x", "--report", "y"}).action, Action::report);
    // Near misses are not the options.
    EXPECT_EQ(parse({"brisklet", "--Help", "-help", "--versions", "-tray", "--report=json"}), CommandLine{});
}

TEST(CommandLine, JsonWithoutTheReportIsRefusedRatherThanOpeningTheWindow) {
    const CommandLine command = parse({"brisklet", "--json"});
    EXPECT_EQ(command.action, Action::misuse);
    EXPECT_NE(command.problem.find("--report"), std::string::npos);
    EXPECT_EQ(runCommandLine(command), 2);
}

TEST(CommandLine, UsageNamesEveryOptionAndVersionTheProjects) {
    for (const char* option : {"--tray", "--report", "--json", "--help", "--version", "-platform"})
        EXPECT_NE(usageText().find(option), std::string::npos) << option;
    EXPECT_EQ(versionText(), std::string("brisklet ") + BRISKLET_TEST_VERSION + "\n");
}

} // namespace
} // namespace brisklet
