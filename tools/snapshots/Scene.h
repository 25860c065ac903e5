#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <vector>

namespace brisklet::snapshots {

class SnapshotFixture;

// Draws one staged scene at a device pixel ratio, in whatever palette the application has now.
using Renderer = std::function<QImage(qreal devicePixelRatio)>;

// A scene ready to draw, and how to put the fixture back as it was, so scenes never depend on each
// other's order. The renderer holds whatever it draws and goes before the undo runs.
struct Staged {
    Renderer render;
    std::function<void()> undo = {};
};

// One picture the program writes: `name` is PAGE-STATE ("overview-default", "tray-panel-apps"); the
// look and the density are added to it. Staging puts the fixture's models in the scene's state,
// waiting for their work to finish, and builds what is drawn; it runs once, in the light palette,
// and the same widgets are then drawn in every look.
struct Scene {
    QString name;
    std::function<Staged(SnapshotFixture&)> stage;
};

// Every scene of the program, in the order registered.
std::vector<Scene>& scenes();

// Each file of scenes registers its own with one of these at namespace scope, so a new page brings
// its scenes along without any central list to edit.
struct SceneGroup {
    explicit SceneGroup(const std::function<void(std::vector<Scene>&)>& add) { add(scenes()); }
};

} // namespace brisklet::snapshots
