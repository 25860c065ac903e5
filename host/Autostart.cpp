#include "host/Autostart.h"

#include "host/DesktopId.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace brisklet {

namespace {

constexpr std::string_view kExecKey = "Exec=";
constexpr std::string_view kTraySwitch = " --tray";

// The Exec key's value for `program --tray`. Three layers of escaping meet here: the argument is
// quoted when it holds anything a shell-like reader splits or expands, "%" is doubled so that it is
// no field code, and the key-file level escapes backslashes and control characters. "%" alone does
// not call for quotes: what "%%" means inside quotes is left open by the format.
std::string execValue(const fs::path& program) {
    const std::string& raw = program.native();
    const bool plain = !raw.empty() && raw.find_first_not_of("abcdefghijklmnopqrstuvwxyz"
                                                             "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                             "0123456789/_.+,:=@%-") == std::string::npos;
    std::string argument;
    if (plain) {
        argument = raw;
    } else {
        argument = "\"";
        for (const char c : raw) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') argument += '\\';
            argument += c;
        }
        argument += '"';
    }
    std::string value;
    for (const char c : argument + std::string(kTraySwitch)) {
        switch (c) {
        case '%': value += "%%"; break;
        case '\\': value += "\\\\"; break;
        case '\n': value += "\\n"; break;
        case '\t': value += "\\t"; break;
        case '\r': value += "\\r"; break;
        default: value += c;
        }
    }
    return value;
}

std::string entryWithExec(std::string_view exec) {
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=brisklet\n"
                       "Comment=Keeps an eye on memory from the tray\n";
    text += std::string(kExecKey) + std::string(exec) + "\n";
    text += std::string("Icon=") + kDesktopId + "\n";
    text += "Terminal=false\n"
            "StartupNotify=false\n"
            "X-GNOME-Autostart-enabled=true\n";
    return text;
}

std::string errorText(int error) {
    return std::strerror(error);
}

} // namespace

Autostart::Autostart(fs::path configHome, fs::path program)
    : m_file(std::move(configHome) / "autostart" / (std::string(kDesktopId) + ".desktop")),
      m_program(std::move(program)) {}

fs::path Autostart::configHome(const Locations::Environment& env) {
    if (const auto config = env("XDG_CONFIG_HOME"); config && fs::path(*config).is_absolute()) return *config;
    return fs::path(env("HOME").value_or("")) / ".config";
}

bool Autostart::isOn() const {
    std::error_code error;
    return fs::exists(fs::symlink_status(m_file, error));
}

Autostart::Result Autostart::turnOn() const {
    if (isOn()) return {};
    std::error_code error;
    fs::create_directories(m_file.parent_path(), error);
    if (error) return {Status::failed, error.message()};

    // Written aside and then linked into place: link() never replaces an existing file, so an
    // entry that appeared meanwhile is kept, and a half-written one is never seen at login.
    std::string staging = (m_file.parent_path() / ("." + m_file.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(staging.data());
    if (fd < 0) return {Status::failed, errorText(errno)};
    const std::string text = entry(m_program);
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    const int writeError = written == text.size() ? 0 : errno;
    const bool ok = writeError == 0 && ::fchmod(fd, 0644) == 0 && ::close(fd) == 0;
    if (!ok) {
        const int failure = writeError != 0 ? writeError : errno;
        ::unlink(staging.c_str());
        return {Status::failed, errorText(failure)};
    }
    const int linked = ::link(staging.c_str(), m_file.c_str()) == 0 ? 0 : errno;
    ::unlink(staging.c_str());
    if (linked != 0 && linked != EEXIST) return {Status::failed, errorText(linked)};
    return {};
}

Autostart::Result Autostart::turnOff(bool evenIfEdited) const {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(m_file, error);
    if (!fs::exists(status)) return {};
    if (!evenIfEdited) {
        // A link or anything but a plain file was put there by someone else.
        if (!fs::is_regular_file(status)) return {Status::edited, {}};
        std::ifstream in(m_file, std::ios::binary);
        if (!in) return {Status::failed, errorText(errno)};
        std::ostringstream contents;
        contents << in.rdbuf();
        if (!isOurs(contents.str())) return {Status::edited, {}};
    }
    if (::unlink(m_file.c_str()) != 0 && errno != ENOENT) return {Status::failed, errorText(errno)};
    return {};
}

std::string Autostart::entry(const fs::path& program) {
    return entryWithExec(execValue(program));
}

bool Autostart::isOurs(std::string_view contents) {
    const std::string marker = "\n" + std::string(kExecKey);
    const std::size_t at = contents.find(marker);
    if (at == std::string_view::npos) return false;
    const std::size_t start = at + marker.size();
    const std::size_t end = contents.find('\n', start);
    if (end == std::string_view::npos) return false;
    const std::string_view exec = contents.substr(start, end - start);
    if (!exec.ends_with(kTraySwitch) || exec.size() == kTraySwitch.size()) return false;
    return contents == entryWithExec(exec);
}

} // namespace brisklet
