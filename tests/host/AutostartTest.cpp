#include "host/Autostart.h"

#include "core/desktop/DesktopEntry.h"
#include "core/desktop/DesktopExec.h"
#include "support/TempTree.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace brisklet {
namespace {

namespace fs = std::filesystem;
using Status = Autostart::Status;

std::string contents(const fs::path& file) {
    std::ostringstream out;
    out << std::ifstream(file, std::ios::binary).rdbuf();
    return out.str();
}

std::vector<std::string> launched(const std::string& entryText) {
    return execArguments(DesktopEntry::parse(entryText).value("Exec").value_or(""))
        .value_or(std::vector<std::string>{});
}

class AutostartTest : public ::testing::Test {
protected:
    test::TempTree tree;
    Autostart loginItem{tree.path("config"), "/usr/bin/brisklet"};
};

// Any program path (spaces, quotes, shell and field-code characters, a backslash, a build tree's copy)
// comes back whole from the entry, and the entry is known as ours.
TEST_F(AutostartTest, TurningOnWritesAnEntryStartingInTheTrayTurningOffRemovesItAndNeitherOverwrites) {
    EXPECT_FALSE(loginItem.isOn());
    EXPECT_EQ(loginItem.file(), tree.path("config/autostart/org.brisklet.Brisklet.desktop"));
    EXPECT_EQ(loginItem.turnOn().status, Status::done);
    EXPECT_TRUE(loginItem.isOn());
    const DesktopEntry entry = DesktopEntry::parse(contents(loginItem.file()));
    EXPECT_EQ(entry.value("Type"), "Application");
    EXPECT_EQ(entry.value("Icon"), "org.brisklet.Brisklet");
    EXPECT_EQ(fs::status(loginItem.file()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read);
    // Nothing is left behind from writing it.
    EXPECT_EQ(std::distance(fs::directory_iterator(loginItem.file().parent_path()), fs::directory_iterator{}),
              1);
    EXPECT_EQ(loginItem.turnOff().status, Status::done);
    EXPECT_FALSE(loginItem.isOn());
    EXPECT_EQ(loginItem.turnOff().status, Status::done); // already off

    for (const std::string program :
         {"/home/ann/100%/brisklet", "/opt/my \"apps\"/$HOME/back\\slash/b`rk`\tx",
          "/home/ann/build/brisklet"}) {
        const Autostart other(tree.path("other"), program);
        ASSERT_EQ(other.turnOn().status, Status::done) << program;
        const std::string text = contents(other.file());
        EXPECT_EQ(launched(text), (std::vector<std::string>{program, "--tray"})) << text;
        EXPECT_TRUE(Autostart::isOurs(text)) << program;
        ASSERT_EQ(other.turnOff().status, Status::done);
    }
    std::string noSwitch = Autostart::entry("/usr/bin/brisklet");
    noSwitch.replace(noSwitch.find(" --tray"), 7, "");
    for (const std::string& text :
         {noSwitch, Autostart::entry("/usr/bin/brisklet") + "Hidden=true\n", std::string()})
        EXPECT_FALSE(Autostart::isOurs(text)) << text;

    // An entry of the user's own is never overwritten.
    const std::string mine =
        "[Desktop Entry]\nType=Application\nName=brisklet\nExec=brisklet --tray -style Fusion\n";
    tree.text("config/autostart/org.brisklet.Brisklet.desktop", mine);
    EXPECT_TRUE(loginItem.isOn());
    EXPECT_EQ(loginItem.turnOn().status, Status::done);
    EXPECT_EQ(contents(loginItem.file()), mine);
}

TEST_F(AutostartTest, AnEntryChangedOrLinkedBySomeoneElseIsTheirsAndAFolderInTheWayIsReported) {
    // One line changed by hand makes it the user's: it stays unless they insist.
    ASSERT_EQ(loginItem.turnOn().status, Status::done);
    std::string edited = contents(loginItem.file());
    edited.replace(edited.find("--tray"), 6, "--tray -style Fusion");
    tree.text("config/autostart/org.brisklet.Brisklet.desktop", edited);
    EXPECT_EQ(loginItem.turnOff().status, Status::edited);
    EXPECT_EQ(contents(loginItem.file()), edited);
    EXPECT_EQ(loginItem.turnOff(true).status, Status::done);
    EXPECT_FALSE(loginItem.isOn());

    // A link put there by someone else is theirs too, even when it leads to our own text.
    tree.text("elsewhere.desktop", Autostart::entry("/usr/bin/brisklet"));
    tree.symlink("config/autostart/org.brisklet.Brisklet.desktop", tree.path("elsewhere.desktop"));
    EXPECT_TRUE(loginItem.isOn());
    EXPECT_EQ(loginItem.turnOff().status, Status::edited);
    EXPECT_TRUE(fs::exists(tree.path("elsewhere.desktop")));

    // A folder that cannot be made is reported.
    test::TempTree blocked;
    blocked.text("config", "a file where the folder should be");
    const Autostart::Result result = Autostart(blocked.path("config"), "/usr/bin/brisklet").turnOn();
    EXPECT_EQ(result.status, Status::failed);
    EXPECT_FALSE(result.error.empty());
}

} // namespace
} // namespace brisklet
