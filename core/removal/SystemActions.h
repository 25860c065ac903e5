#pragma once

#include "core/junk/Locations.h"
#include "core/removal/Outcome.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace brisklet {

// The two actions that need more than the program's own rights: dropping the kernel's inactive
// file cache (through polkit, which asks for an administrator password) and emptying the Trash.
// Every call blocks until it is over; callers run it on a background task.
namespace SystemActions {

// Turns how a child process ended into an outcome. Status 0 is always `done`; the rest depends on
// the conventions of the program that was run. `errorText` is its trimmed standard error.
using Decide = Outcome (*)(int exitStatus, std::string_view errorText);

// The macOS script runner: its error text carries -128 when the user dismissed a prompt and -1743
// when the program may not send events to another application (checked in that order, anywhere in
// the text); any other error is shown as the runner worded it.
Outcome scriptRunnerOutcome(int exitStatus, std::string_view errorText);

// pkexec: 126 when the user dismissed the authentication dialog; anything else (127 "Not
// authorized", a helper's own failure) is shown as it was worded.
Outcome pkexecOutcome(int exitStatus, std::string_view errorText);

// UTF-8 with every invalid sequence replaced, without white space or line breaks at either end.
std::string trimmedErrorText(std::string_view bytes);

// Runs `program` with `arguments`, its standard input and output on the null device and its
// standard error collected while it runs, and waits for it. A program that cannot be started
// fails with the system's description, and one killed by a signal fails (with what it wrote, or
// the description of the crash): neither ever counts as done.
Outcome run(const std::filesystem::path& program, const std::vector<std::string>& arguments, Decide decide);

// What purging memory runs. The helper drops the page cache when given this one argument.
inline constexpr std::string_view kDropCachesAction = "pagecache";

struct PurgeTools {
    std::filesystem::path pkexec;
    std::filesystem::path helper;
    bool alreadyRoot = false; // then the helper runs directly, with no dialog

    bool operator==(const PurgeTools&) const = default;
};

// The installed helper relative to the folder of the running executable, or, in a build tree,
// the helper built next to it. When neither exists the installed location is still the answer,
// so the failure names the place where it should have been.
std::filesystem::path dropCachesHelper(const std::filesystem::path& executableFolder);

// /usr/bin/pkexec, the helper found from this process's own executable, and the effective user.
PurgeTools hostPurgeTools();

Outcome purgeMemory();
Outcome purgeMemory(const PurgeTools& tools);

// Empties the home Trash and this user's Trash on every mounted volume. `cancelled` cannot
// happen; anything left behind makes it `failed` with "N items couldn't be removed. REASON."
Outcome emptyTrash();
Outcome emptyTrash(const Locations& locations, const std::vector<std::filesystem::path>& mountPoints);

} // namespace SystemActions
} // namespace brisklet
