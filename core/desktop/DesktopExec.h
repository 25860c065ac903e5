#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brisklet {

// The argument vector of a desktop entry's Exec value (already unescaped as a key value), with the
// quoting rules of the desktop entry format applied and the field codes (%f, %U, %i, …) dropped,
// since we never launch anything and only want to know what would run. "%%" stays a literal "%".
// Nothing when the quoting is broken (an unterminated quote).
std::optional<std::vector<std::string>> execArguments(std::string_view exec);

// The program an Exec line really starts: leading "env", its options and VAR=value assignments
// are stepped over, so "env LANG=C /opt/x/x %U" names /opt/x/x. Empty when there is none.
std::string execProgram(const std::vector<std::string>& arguments);

} // namespace brisklet
