#include "core/removal/SystemActions.h"

#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <tuple>

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using SystemActions::pkexecOutcome;

// Fake programs written into the fixture at run time, so the suite runs from any folder.
struct Runner : ::testing::Test {
    test::TempTree tree;

    fs::path script(const std::string& name, const std::string& body) {
        const fs::path p = tree.text(name, "#!/bin/sh\n" + body + "\n");
        ::chmod(p.c_str(), 0755);
        return p;
    }
    std::string contents(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

// Reports the exit status as the message, so a test can see exactly what the runner saw.
Outcome statusAndText(int status, std::string_view errorText) {
    return Outcome::failed(std::to_string(status) + ":" + std::string(errorText));
}

TEST_F(Runner, HandsTheStatusAndTrimmedErrorTextToTheRule) {
    const std::pair<std::string, Outcome> rows[] = {
        {"echo ' all fine, just chatty' >&2; exit 0", Outcome::failed("0:all fine, just chatty")},
        {"echo 'Not authorized' >&2; echo >&2; exit 127", Outcome::failed("127:Not authorized")},
        // Standard output is discarded, never mistaken for the error text.
        {"echo 'on stdout -128'; echo ' on stderr ' >&2; exit 1", Outcome::failed("1:on stderr")},
        // Arguments reach the child as they are, with no shell in between.
        {"printf '%s|' \"$#\" \"$@\" >&2; exit 4", Outcome::failed("4:2|a b|caf\xC3\xA9|")},
        // A child killed by a signal never reaches the rule, whose status 0 or 9 would read as
        // success or noise.
        {"echo 'going down' >&2; kill -TERM $$", Outcome::failed("going down")},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const fs::path program = script("fake-" + std::to_string(i), rows[i].first);
        EXPECT_EQ(SystemActions::run(program, {"a b", "caf\xC3\xA9"}, statusAndText), rows[i].second)
            << rows[i].first;
    }
}

// Only a dismissed polkit dialog is the user saying no; any other refusal is a failure to show.
TEST(PkexecOutcome, CancelsOnlyOnADismissedDialog) {
    const std::tuple<int, const char*, Outcome> rows[] = {
        {0, "warning: something odd", Outcome::done()},
        {126, "Error executing command as another user: Request dismissed", Outcome::cancelled()},
        {127, "Not authorized", Outcome::failed("Not authorized")},
        {125, "", Outcome::failed("")},
    };
    for (const auto& [status, errorText, expected] : rows)
        EXPECT_EQ(pkexecOutcome(status, errorText), expected) << status << " " << errorText;
}

TEST_F(Runner, AProgramThatCannotStartFailsWithTheSystemsReason) {
    const Outcome missing = SystemActions::run(tree.path("no-such-program"), {}, pkexecOutcome);
    ASSERT_TRUE(missing.isFailed());
    EXPECT_NE(missing.message().find("No such file or directory"), std::string::npos) << missing.message();
}

TEST_F(Runner, AChildThatWritesALotOfErrorsDoesNotBlock) {
    const fs::path program =
        script("chatty", "head -c 1048576 /dev/zero | tr '\\000' x >&2; echo ' end' >&2; exit 1");
    const Outcome outcome = SystemActions::run(program, {}, pkexecOutcome);
    ASSERT_TRUE(outcome.isFailed());
    EXPECT_EQ(outcome.message().size(), 1048576u + 4u);
    EXPECT_EQ(outcome.message().substr(outcome.message().size() - 4), " end");
}

struct Purge : Runner {
    fs::path record = tree.path("arguments");
    fs::path helper = script("libexec/brisklet-drop-caches",
                             "printf '%s\\n' \"$@\" > '" + tree.path("helper-ran").string() + "'");

    fs::path fakePkexec(const std::string& tail) {
        return script("bin/pkexec", "printf '%s\\n' \"$@\" > '" + record.string() + "'\n" + tail);
    }
};

TEST_F(Purge, AsksPolkitToRunTheHelperWithoutATerminalAgentUnlessRoot) {
    EXPECT_EQ(SystemActions::purgeMemory({fakePkexec("exit 0"), helper, false}), Outcome::done());
    EXPECT_EQ(contents(record), "--disable-internal-agent\n" + helper.string() + "\npagecache\n");
    EXPECT_FALSE(fs::exists(tree.path("helper-ran"))) << "only pkexec may start the helper";
    // pkexec's own conventions decide: a dismissed dialog is no failure.
    EXPECT_EQ(SystemActions::purgeMemory({fakePkexec("exit 126"), helper, false}), Outcome::cancelled());
    // Root needs no dialog: the helper runs directly.
    fs::remove(record);
    EXPECT_EQ(SystemActions::purgeMemory({fakePkexec("exit 0"), helper, true}), Outcome::done());
    EXPECT_EQ(contents(tree.path("helper-ran")), "pagecache\n");
    EXPECT_FALSE(fs::exists(record));
}

TEST_F(Purge, FindsTheHelperInstalledOrBesideTheProgram) {
    const fs::path bin = tree.dir("prefix/bin");
    const fs::path installed = tree.path("prefix/libexec/brisklet/brisklet-drop-caches");
    const fs::path beside = bin / "brisklet-drop-caches";
    // Nothing there: the installed place, written without "..", so pkexec can match its policy.
    EXPECT_EQ(SystemActions::dropCachesHelper(bin), installed);
    script("prefix/bin/brisklet-drop-caches", "exit 0");
    EXPECT_EQ(SystemActions::dropCachesHelper(bin), beside);
    script("prefix/libexec/brisklet/brisklet-drop-caches", "exit 0");
    EXPECT_EQ(SystemActions::dropCachesHelper(bin), installed);
    ::chmod(installed.c_str(), 0644); // not a program: no use handing it to pkexec
    EXPECT_EQ(SystemActions::dropCachesHelper(bin), beside);
}

#ifdef BRISKLET_DROP_CACHES_PATH
// The real helper, run only as an unprivileged user (through setpriv when the suite is root), so
// it can never touch the kernel's caches here; a copy in the fixture is reachable for that user.
struct Helper : Runner {
    fs::path helper;

    void SetUp() override {
        ::chmod(tree.root().c_str(), 0755);
        helper = tree.path("brisklet-drop-caches");
        fs::copy_file(BRISKLET_DROP_CACHES_PATH, helper);
        ::chmod(helper.c_str(), 0755);
    }

    Outcome runUnprivileged(std::vector<std::string> arguments) {
        if (::geteuid() != 0) return SystemActions::run(helper, arguments, statusAndText);
        arguments.insert(arguments.begin(),
                         {"--reuid=65534", "--regid=65534", "--clear-groups", helper.string()});
        return SystemActions::run("/usr/bin/setpriv", arguments, statusAndText);
    }
};

// It takes nothing but its one action, and refuses that without root.
TEST_F(Helper, AcceptsNothingButItsOneActionAndThatOnlyAsRoot) {
    const std::vector<std::string> wrong[] = {
        {}, {"pagecache", "pagecache"}, {"PAGECACHE"}, {""}, {"pagecache "}};
    for (const auto& arguments : wrong)
        EXPECT_EQ(runUnprivileged(arguments), Outcome::failed("2:Usage: brisklet-drop-caches pagecache"))
            << (arguments.empty() ? "(none)" : arguments.front());
    EXPECT_EQ(runUnprivileged({"pagecache"}),
              Outcome::failed("1:Clearing inactive memory needs administrator rights."));
}
#endif

} // namespace
} // namespace brisklet
