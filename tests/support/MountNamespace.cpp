#include "support/MountNamespace.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace brisklet::test {

namespace {

// Throws Unavailable with the system's reason when `ok` is false.
void require(bool ok, const std::string& what) {
    if (!ok) throw Unavailable(what + ": " + std::strerror(errno));
}

void writeFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0) ::close(fd);
    require(ok, path);
}

void enterNamespace() {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    require(::unshare(uid == 0 ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS) == 0, "unshare");
    if (uid != 0) {
        writeFile("/proc/self/setgroups", "deny");
        writeFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
        writeFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
    }
    // Nothing mounted from here on may travel back to the parent's namespace.
    require(::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0, "mount --make-rprivate");
}

// The child's report: "S reason", or one "F failure" line per failed check.
std::string runChild(const std::function<void(Checks&)>& body, bool privateMounts) {
    Checks checks;
    ::alarm(300);
    try {
        if (privateMounts) enterNamespace();
        body(checks);
    } catch (const Unavailable& e) {
        return std::string("S ") + e.what();
    } catch (const std::exception& e) {
        checks.failures.push_back(std::string("exception: ") + e.what());
    }
    std::string report;
    for (const std::string& failure : checks.failures)
        report += "F " + failure + '\n';
    return report;
}

NamespaceRun forked(const std::function<void(Checks&)>& body, bool privateMounts) {
    NamespaceRun run;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        run.failures.push_back(std::string("pipe: ") + std::strerror(errno));
        return run;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const std::string report = runChild(body, privateMounts);
        for (std::size_t done = 0; done < report.size();) {
            const ssize_t n = ::write(fds[1], report.data() + done, report.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        run.failures.push_back("the child did not finish normally (status " + std::to_string(status) + ")");
    } else if (report.starts_with("S ")) {
        run.skipped = true;
        run.skipReason = report.substr(2);
    } else {
        for (std::size_t at = 0; at < report.size(); at = report.find('\n', at) + 1)
            run.failures.push_back(report.substr(at + 2, report.find('\n', at) - at - 2));
    }
    return run;
}

} // namespace

NamespaceRun inChild(const std::function<void(Checks&)>& body) {
    return forked(body, false);
}

NamespaceRun inMountNamespace(const std::function<void(Checks&)>& body) {
    return forked(body, true);
}

void mountTmpfs(const std::filesystem::path& at) {
    require(::mount("tmpfs", at.c_str(), "tmpfs", 0, "size=8m") == 0, "mount tmpfs");
}

void bindMount(const std::filesystem::path& from, const std::filesystem::path& at) {
    require(::mount(from.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) == 0, "mount --bind");
}

} // namespace brisklet::test
