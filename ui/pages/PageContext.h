#pragma once

#include "ui/Page.h"

#include <functional>
#include <optional>

namespace brisklet {
class MemoryModel;
class StorageModel;
class Workspace;
} // namespace brisklet

namespace brisklet::ui {

// What every page of the window is built with: the two models it reads and calls, the desktop
// session for showing files in the file manager and opening links, and a way to move the window
// to another page (none means the overview). The references outlive the pages.
struct PageContext {
    StorageModel& storage;
    MemoryModel& memory;
    Workspace& workspace;
    std::function<void(std::optional<Page>)> navigate;
};

} // namespace brisklet::ui
