#pragma once

#include "core/junk/Locations.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace brisklet {

// The login item that starts brisklet in the tray: a desktop entry in the user's autostart folder,
// which every freedesktop session reads at login. The file's presence is the setting, so whatever
// the user or another tool did to it is what counts. brisklet creates it only where there is none
// and removes only its own: an entry edited by hand is the user's, and is neither overwritten nor
// removed without asking.
class Autostart {
public:
    enum class Status {
        done,   // the entry is now there, or gone, as asked
        edited, // not ours: someone changed it, so it was left in place
        failed  // the file system refused; `error` says why
    };
    struct Result {
        Status status = Status::done;
        std::string error;
    };

    // `configHome` is the user's configuration folder; `program` the executable the entry starts.
    Autostart(std::filesystem::path configHome, std::filesystem::path program);

    // $XDG_CONFIG_HOME when it is absolute, else ~/.config.
    static std::filesystem::path configHome(const Locations::Environment& env);

    const std::filesystem::path& file() const { return m_file; }
    bool isOn() const;
    // Creates the entry unless one is there already, which stays as it is.
    Result turnOn() const;
    // Removes the entry when it is brisklet's own; an edited one only when `evenIfEdited`.
    Result turnOff(bool evenIfEdited = false) const;

    // What brisklet writes: the entry starting `program` in the tray.
    static std::string entry(const std::filesystem::path& program);
    // True when `contents` are exactly what some brisklet wrote, wherever its program lay.
    static bool isOurs(std::string_view contents);

private:
    std::filesystem::path m_file;
    std::filesystem::path m_program;
};

} // namespace brisklet
