#pragma once

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace brisklet::test {

// Thrown inside a namespace body when the system refuses what the test needs (a mount, most
// often): the test is then reported as skipped, never as passed.
struct Unavailable : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What a body run in a mount namespace found: the failed checks, or why it could not run.
struct NamespaceRun {
    bool skipped = false;
    std::string skipReason;
    std::vector<std::string> failures;
};

// Collects failed checks inside the child, where gtest's own assertions cannot reach the parent.
class Checks {
public:
    void expect(bool ok, const std::string& what) {
        if (!ok) failures.push_back(what);
    }
    std::vector<std::string> failures;
};

// Runs `body` in a forked child, for what must not touch this process (a descriptor limit, say). A
// child that hangs is ended after five minutes and reported as failed.
NamespaceRun inChild(const std::function<void(Checks&)>& body);

// Runs `body` in a forked child with a private mount namespace (and a user namespace of its own
// when not root), so the mounts it makes are seen by nobody else and vanish with it. The child has
// only the calling thread: a body that measures or scans must bring its own thread pool.
NamespaceRun inMountNamespace(const std::function<void(Checks&)>& body);

// Mounts a small tmpfs, or bind-mounts `from`, at `at`; throws Unavailable when refused.
void mountTmpfs(const std::filesystem::path& at);
void bindMount(const std::filesystem::path& from, const std::filesystem::path& at);

} // namespace brisklet::test

// Reports a namespace run to gtest: skipped with its reason, or one failure per failed check.
#define BRISKLET_EXPECT_NAMESPACE_RUN(run)                                                                   \
    do {                                                                                                     \
        const ::brisklet::test::NamespaceRun namespaceRun = (run);                                           \
        if (namespaceRun.skipped) GTEST_SKIP() << "no mount namespace here: " << namespaceRun.skipReason;    \
        for (const std::string& failure : namespaceRun.failures)                                             \
            ADD_FAILURE() << failure;                                                                        \
    } while (false)
