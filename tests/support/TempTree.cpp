#include "support/TempTree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace brisklet::test {

namespace fs = std::filesystem;

namespace {

// The path of a new entry, with its parent folders made.
fs::path made(const fs::path& p) {
    fs::create_directories(p.parent_path());
    return p;
}

std::string trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(s.substr(first, s.find_last_not_of(" \t") - first + 1));
}

std::string unescaped(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == 'n' || s[i + 1] == 't'))
            out += s[++i] == 'n' ? '\n' : '\t';
        else
            out += s[i];
    }
    return out;
}

// "a/{x,y}/b" as "a/x/b" and "a/y/b"; one group a path.
std::vector<std::string> expanded(const std::string& path) {
    const auto open = path.find('{');
    const auto close = path.find('}', open);
    if (open == std::string::npos || close == std::string::npos) return {path};
    std::vector<std::string> out;
    const std::string choices = path.substr(open + 1, close - open - 1);
    for (std::size_t at = 0; at <= choices.size();) {
        const auto comma = std::min(choices.find(',', at), choices.size());
        out.push_back(path.substr(0, open) + choices.substr(at, comma - at) + path.substr(close + 1));
        at = comma + 1;
    }
    return out;
}

} // namespace

TempTree::TempTree() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/brisklet-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    m_root = fs::path(pattern);
}

TempTree::~TempTree() {
    // Tests make folders unreadable; give them back so the tree can be removed.
    std::error_code ec;
    ::chmod(m_root.c_str(), 0700);
    for (auto it =
             fs::recursive_directory_iterator(m_root, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
    }
    fs::remove_all(m_root, ec);
}

fs::path TempTree::path(std::string_view relative) const {
    return m_root / fs::path(relative);
}

fs::path TempTree::dir(std::string_view relative) {
    const fs::path p = path(relative);
    fs::create_directories(p);
    return p;
}

fs::path TempTree::file(std::string_view relative, std::size_t size) {
    return text(relative, std::string(size, 'x'));
}

fs::path TempTree::text(std::string_view relative, std::string_view contents) {
    const fs::path p = made(path(relative));
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + p.string());
    return p;
}

fs::path TempTree::sparse(std::string_view relative, std::int64_t length) {
    const fs::path p = made(path(relative));
    const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::ftruncate(fd, length) != 0)
        throw std::runtime_error("cannot make sparse file " + p.string());
    ::close(fd);
    return p;
}

fs::path TempTree::symlink(std::string_view relative, const fs::path& target) {
    const fs::path p = made(path(relative));
    fs::create_symlink(target, p);
    return p;
}

fs::path TempTree::hardlink(std::string_view relative, const fs::path& existing) {
    const fs::path p = made(path(relative));
    fs::create_hard_link(existing, p);
    return p;
}

void TempTree::fifo(std::string_view relative) {
    const fs::path p = made(path(relative));
    if (::mkfifo(p.c_str(), 0644) != 0) throw std::runtime_error("cannot make fifo " + p.string());
}

void TempTree::build(std::string_view manifest) {
    const auto below = [this](const std::string& target) {
        return target.starts_with('@') ? path(target.substr(1)) : fs::path(target);
    };
    for (std::size_t at = 0; at < manifest.size();) {
        const std::size_t end = std::min(manifest.find('\n', at), manifest.size());
        const std::string line = trimmed(manifest.substr(at, end - at));
        at = end + 1;
        if (line.empty()) continue;
        std::string entry = line;
        std::string op, arg;
        // Padded, so that a text entry may end in " =" for an empty file.
        const std::string padded = line + " ";
        for (const char* candidate : {" = ", " -> ", " => ", " ~ "}) {
            if (const auto pos = padded.find(candidate); pos != std::string::npos) {
                entry = trimmed(padded.substr(0, pos));
                op = trimmed(candidate);
                arg = padded.substr(pos + std::strlen(candidate));
                if (!arg.empty()) arg.pop_back();
                break;
            }
        }
        if (op.empty() && line.ends_with(" |")) {
            entry = trimmed(line.substr(0, line.size() - 2));
            op = "|";
        } else if (op.empty()) {
            const auto space = line.rfind(' ');
            if (space != std::string::npos &&
                line.find_first_not_of("0123456789", space + 1) == std::string::npos) {
                entry = trimmed(line.substr(0, space));
                arg = line.substr(space + 1);
            }
        }
        for (const std::string& p : expanded(entry)) {
            if (op == "=") text(p, unescaped(arg));
            if (op == "->") symlink(p, below(arg));
            if (op == "=>") hardlink(p, below(arg));
            if (op == "~") sparse(p, std::stoll(arg));
            if (op == "|") fifo(p);
            if (op.empty() && p.ends_with('/')) dir(p);
            if (op.empty() && !p.ends_with('/')) file(p, arg.empty() ? 10 : std::stoull(arg));
        }
    }
}

std::int64_t TempTree::allocated(const fs::path& p) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0) return -1;
    return static_cast<std::int64_t>(st.st_blocks) * 512;
}

} // namespace brisklet::test
