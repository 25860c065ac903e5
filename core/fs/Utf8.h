#pragma once

#include <string>
#include <string_view>

namespace brisklet {

// File names and kernel strings are bytes, not text. Everything shown to the user goes through
// this first: valid UTF-8 passes unchanged, each invalid sequence becomes U+FFFD.
std::string validUtf8(std::string_view bytes);

} // namespace brisklet
