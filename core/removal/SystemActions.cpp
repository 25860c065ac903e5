#include "core/removal/SystemActions.h"

#include "core/fs/MountedVolumes.h"
#include "core/fs/Utf8.h"
#include "core/removal/TrashEmptier.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

#include <unistd.h>

#include <system_error>

// Where the helper is installed, relative to the folder of the installed executable. The build
// passes the configured layout; this default is the layout of a plain install.
#ifndef BRISKLET_DROP_CACHES_RELATIVE_PATH
#define BRISKLET_DROP_CACHES_RELATIVE_PATH "../libexec/brisklet/brisklet-drop-caches"
#endif

namespace brisklet {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kCancelledByUser = "-128";
constexpr std::string_view kNotAllowedToAutomate = "-1743";
constexpr int kPkexecDismissed = 126;
constexpr const char* kHelperName = "brisklet-drop-caches";

bool isExecutableFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec) && ::access(p.c_str(), X_OK) == 0;
}

} // namespace

namespace SystemActions {

Outcome scriptRunnerOutcome(int exitStatus, std::string_view errorText) {
    if (exitStatus == 0) return Outcome::done();
    if (errorText.find(kCancelledByUser) != std::string_view::npos) return Outcome::cancelled();
    if (errorText.find(kNotAllowedToAutomate) != std::string_view::npos)
        return Outcome::failed("brisklet isn't allowed to control Finder. Turn it on in System Settings "
                               "\u2192 Privacy & Security \u2192 Automation.");
    return Outcome::failed(std::string(errorText));
}

Outcome pkexecOutcome(int exitStatus, std::string_view errorText) {
    if (exitStatus == 0) return Outcome::done();
    if (exitStatus == kPkexecDismissed) return Outcome::cancelled();
    return Outcome::failed(std::string(errorText));
}

std::string trimmedErrorText(std::string_view bytes) {
    constexpr std::string_view kSpace = " \t\n\r\f\v";
    const auto first = bytes.find_first_not_of(kSpace);
    if (first == std::string_view::npos) return {};
    const auto last = bytes.find_last_not_of(kSpace);
    return validUtf8(bytes.substr(first, last - first + 1));
}

Outcome run(const fs::path& program, const std::vector<std::string>& arguments, Decide decide) {
    QStringList args;
    for (const std::string& argument : arguments)
        args << QString::fromStdString(argument);

    QProcess process;
    process.setProgram(QFile::decodeName(program.c_str()));
    process.setArguments(args);
    // Nothing may wait for an answer on a terminal: the dialog is the only way to ask the user.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(-1)) return Outcome::failed(process.errorString().toStdString());

    // Waiting drains the error pipe as it fills, so a talkative child cannot block on a full pipe.
    process.waitForFinished(-1);
    const QByteArray errorBytes = process.readAllStandardError();
    const std::string errorText = trimmedErrorText(
        std::string_view(errorBytes.constData(), static_cast<std::size_t>(errorBytes.size())));
    if (process.exitStatus() == QProcess::CrashExit)
        return Outcome::failed(errorText.empty() ? process.errorString().toStdString() : errorText);
    return decide(process.exitCode(), errorText);
}

fs::path dropCachesHelper(const fs::path& executableFolder) {
    const fs::path installed = (executableFolder / BRISKLET_DROP_CACHES_RELATIVE_PATH).lexically_normal();
    if (isExecutableFile(installed)) return installed;
    const fs::path beside = executableFolder / kHelperName;
    if (isExecutableFile(beside)) return beside;
    return installed;
}

PurgeTools hostPurgeTools() {
    // /proc/self/exe rather than the application object: the text report runs without one.
    std::error_code ec;
    const fs::path executable = fs::read_symlink("/proc/self/exe", ec);
    return {"/usr/bin/pkexec", dropCachesHelper(ec ? fs::path("/") : executable.parent_path()),
            ::geteuid() == 0};
}

Outcome purgeMemory() {
    return purgeMemory(hostPurgeTools());
}

Outcome purgeMemory(const PurgeTools& tools) {
    const std::string action(kDropCachesAction);
    if (tools.alreadyRoot) return run(tools.helper, {action}, pkexecOutcome);
    // Without the internal agent, pkexec never falls back to asking on a terminal nobody sees.
    return run(tools.pkexec, {"--disable-internal-agent", tools.helper.string(), action}, pkexecOutcome);
}

Outcome emptyTrash() {
    return emptyTrash(Locations::current(), MountedVolumes::trashCapableMountPoints());
}

Outcome emptyTrash(const Locations& locations, const std::vector<fs::path>& mountPoints) {
    TrashEmptier::Result result = TrashEmptier::emptyFolder(locations.dataHome / "Trash");
    result += TrashEmptier::emptyVolumeTrashes(mountPoints, ::getuid());
    if (result.notRemoved == 0) return Outcome::done();
    return Outcome::failed(TrashEmptier::failureMessage(result));
}

} // namespace SystemActions
} // namespace brisklet
