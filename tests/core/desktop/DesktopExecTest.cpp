#include "core/desktop/DesktopExec.h"

#include <gtest/gtest.h>

namespace brisklet {
namespace {

using Args = std::vector<std::string>;

TEST(DesktopExec, SplitsQuotesAndDropsFieldCodes) {
    const std::pair<const char*, std::optional<Args>> rows[] = {
        {"/usr/bin/gedit %U", Args{"/usr/bin/gedit"}},
        {"firefox %u --new-window", Args{"firefox", "--new-window"}},
        {"\"/opt/My App/app\" --file=%f", Args{"/opt/My App/app", "--file="}},
        {"app \"say \\\"hi\\\" \\$HOME \\\\ \\`x\\`\"", Args{"app", "say \"hi\" $HOME \\ `x`"}},
        {"app 100%% %i %c %k", Args{"app", "100%"}},
        {"app \"\"", Args{"app", ""}},
        {"  spaced\t  out  ", Args{"spaced", "out"}},
        {"app %", Args{"app", "%"}},
        {"app \"unterminated", std::nullopt},
        {"", Args{}},
    };
    for (const auto& [exec, arguments] : rows)
        EXPECT_EQ(execArguments(exec), arguments) << exec;
}

TEST(DesktopExec, TheProgramStepsOverEnvAndAssignments) {
    const std::pair<Args, std::string> rows[] = {
        {{"/opt/x/x", "--flag"}, "/opt/x/x"},
        {{"env", "LANG=C", "GDK_BACKEND=x11", "/opt/x/x"}, "/opt/x/x"},
        {{"/usr/bin/env", "-u", "DISPLAY", "-i", "FOO=1", "app"}, "app"},
        {{"BAMF_DESKTOP_FILE_HINT=/a.desktop", "app"}, "app"},
        {{"env"}, ""},
        {{}, ""},
        // Not an assignment: the "=" is behind a path.
        {{"/opt/a=b/app"}, "/opt/a=b/app"},
    };
    for (const auto& [arguments, program] : rows)
        EXPECT_EQ(execProgram(arguments), program) << program;
}

} // namespace
} // namespace brisklet
