#pragma once

#include "host/RunningApps.h"
#include "host/WindowList.h"
#include "host/Workspace.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Stand-ins for the desktop session, for model and view tests: they answer what the test put in
// and remember what they were asked to do.
namespace brisklet {

class FakeRunningApps final : public RunningApps {
public:
    std::vector<RunningApp> apps;
    std::vector<pid_t> quitRequests;
    std::vector<pid_t> forceQuitRequests;
    // Whether a polite quit ends the app (it is gone from the next list) or the app stays, as one
    // asking about unsaved work does. A forced quit always ends it.
    bool politeQuitEnds = false;

    Listing listing() override {
        return [apps = apps] { return apps; };
    }
    void quit(const RunningApp& app) override {
        quitRequests.push_back(app.pid);
        if (politeQuitEnds) remove(app.pid);
    }
    void forceQuit(const RunningApp& app) override {
        forceQuitRequests.push_back(app.pid);
        remove(app.pid);
    }

private:
    void remove(pid_t pid) {
        std::erase_if(apps, [pid](const RunningApp& app) { return app.pid == pid; });
    }
};

class FakeWindowList final : public WindowList {
public:
    // Nothing stands for a session that cannot list windows.
    std::optional<std::vector<WindowInfo>> list = std::vector<WindowInfo>{};
    std::vector<std::uint32_t> closeRequests;
    // Whether closing removes the window, as a window without unsaved work would.
    bool closeEnds = true;

    bool everyWindow = true;

    std::optional<std::vector<WindowInfo>> windows() override { return list; }
    bool seesEveryWindow() const override { return everyWindow; }
    bool close(std::uint32_t windowId) override {
        if (!list) return false;
        const auto it =
            std::find_if(list->begin(), list->end(), [&](const auto& w) { return w.id == windowId; });
        if (it == list->end()) return false;
        closeRequests.push_back(windowId);
        if (closeEnds) list->erase(it);
        return true;
    }
};

class FakeWorkspace final : public Workspace {
public:
    std::vector<std::vector<std::filesystem::path>> revealed;
    std::vector<std::string> opened;
    pid_t pid = 4242;
    int activations = 0;
    int terminations = 0;

    void reveal(const std::vector<std::filesystem::path>& locations) override {
        revealed.push_back(locations);
    }
    void open(const std::string& locationOrLink) override { opened.push_back(locationOrLink); }
    pid_t ownPid() const override { return pid; }
    void activate() override { ++activations; }
    void terminate() override { ++terminations; }
};

} // namespace brisklet
