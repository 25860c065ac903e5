#pragma once

#include "app/StorageModel.h"
#include "app/WorkerPools.h"
#include "support/CoreApplication.h"
#include "support/SignalWait.h"
#include "support/TempTree.h"

#include <QCoreApplication>

#include <filesystem>
#include <memory>
#include <ostream>

// Readable test failures for texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace brisklet::test {

// A storage model over a fixture home in the freedesktop layout, with its own settings file. The
// pools are declared after the tree and before the model, so the model goes first and the pools
// finish their tasks before the tree is removed.
struct StorageFixture {
    TempTree tree;
    std::filesystem::path home = tree.dir("home");
    Locations locations = fixtureLocations();
    StorageModel::Services services = fixtureServices();
    WorkerPools pools;
    std::unique_ptr<StorageModel> model;

    StorageFixture() { ensureCoreApplication(); }

    StorageModel& make() {
        model = std::make_unique<StorageModel>(services, pools);
        return *model;
    }

    Locations fixtureLocations() {
        Locations l = Locations::forHome(home, tree.dir("tmp"), JunkLayout::freedesktop);
        l.crashDir = tree.dir("crash");
        l.dataDirs = {tree.dir("share")};
        return l;
    }

    StorageModel::Services fixtureServices() {
        StorageModel::Services s;
        s.locations = [l = locations] { return l; };
        // Never the real volumes' Trash folders: only the fixture home's, where what still exists goes.
        s.emptyTrash = [](const Locations&) { return Outcome::failed("no emptying in this test"); };
        s.moveToTrash = [trash = tree.dir("home/.local/share/Trash/files")](const auto& paths) {
            TrashMoveResult result;
            for (const std::filesystem::path& path : paths) {
                std::error_code error;
                std::filesystem::rename(path, trash / path.filename(), error);
                (error ? result.failed : result.moved).push_back(path);
            }
            return result;
        };
        s.settingsFile = QString::fromStdString(tree.path("settings.ini").native());
        return s;
    }

    // Runs the event loop until no junk scan is left running.
    bool junkSettled() {
        return waitFor(*model, &StorageModel::scanningJunkChanged,
                       [&] { return !model->isCleaningJunk() && model->scanningJunk().empty(); });
    }
};

} // namespace brisklet::test
