#pragma once

namespace brisklet {

// A group's selection as its check box shows it; `mixed` means some but not all members.
enum class CheckState { on, off, mixed };

} // namespace brisklet
