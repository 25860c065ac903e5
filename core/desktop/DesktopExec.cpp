#include "core/desktop/DesktopExec.h"

namespace brisklet {

namespace {

bool isFieldCode(char c) {
    return std::string_view("fFuUdDnNickvm").find(c) != std::string_view::npos;
}

bool isAssignment(std::string_view argument) {
    const std::size_t equals = argument.find('=');
    if (equals == 0 || equals == std::string_view::npos) return false;
    for (const char c : argument.substr(0, equals))
        if (!(c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    return true;
}

std::string_view baseName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

std::optional<std::vector<std::string>> execArguments(std::string_view exec) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    bool onlyFieldCodes = true; // an argument that was nothing but field codes disappears entirely
    const auto finish = [&] {
        if (inArgument && !(onlyFieldCodes && current.empty())) arguments.push_back(current);
        current.clear();
        inArgument = false;
        onlyFieldCodes = true;
    };
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            finish();
            continue;
        }
        inArgument = true;
        if (c == '"') {
            onlyFieldCodes = false;
            for (++i;; ++i) {
                if (i >= exec.size()) return std::nullopt;
                if (exec[i] == '"') break;
                if (exec[i] == '\\' && i + 1 < exec.size() &&
                    std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos)
                    ++i;
                current += exec[i];
            }
            continue;
        }
        if (c == '%' && i + 1 < exec.size()) {
            const char code = exec[i + 1];
            if (code == '%') {
                current += '%';
                onlyFieldCodes = false;
                ++i;
                continue;
            }
            if (isFieldCode(code)) {
                ++i;
                continue;
            }
        }
        onlyFieldCodes = false;
        current += c;
    }
    finish();
    return arguments;
}

std::string execProgram(const std::vector<std::string>& arguments) {
    std::size_t i = 0;
    if (i < arguments.size() && baseName(arguments[i]) == "env") {
        ++i;
        while (i < arguments.size()) {
            const std::string& a = arguments[i];
            if (a == "-u" || a == "--unset" || a == "-C" || a == "--chdir" || a == "-S" ||
                a == "--split-string") {
                i += 2;
            } else if (a.starts_with("-") || isAssignment(a)) {
                ++i;
            } else {
                break;
            }
        }
    }
    while (i < arguments.size() && isAssignment(arguments[i]))
        ++i;
    return i < arguments.size() ? arguments[i] : std::string();
}

} // namespace brisklet
