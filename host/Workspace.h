#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace brisklet {

// What the program asks of the desktop around it. Called on the main thread.
class Workspace {
public:
    virtual ~Workspace() = default;

    // Shows the locations selected in a file manager window.
    virtual void reveal(const std::vector<std::filesystem::path>& locations) = 0;
    // Opens a file in its default application, or a link ("https://…", "file://…") in its handler.
    virtual void open(const std::string& locationOrLink) = 0;
    virtual pid_t ownPid() const = 0;
    // Brings our window to the front.
    virtual void activate() = 0;
    // Ends the program the regular way, through the event loop.
    virtual void terminate() = 0;
};

} // namespace brisklet
