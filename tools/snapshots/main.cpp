// brisklet-snapshots OUTDIR [NAME-PREFIX...]
// brisklet-snapshots --list
//
// Renders every scene of the window and the tray over made-up services into OUTDIR as PNGs, light
// and dark, at one and two device pixels per point, so a change's look can be reviewed before it
// lands. With prefixes, only the scenes whose names start with one of them. --list prints the scenes'
// names, one a line, and renders nothing.

#include "Capture.h"
#include "Scene.h"
#include "SnapshotFixture.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStringList>
#include <QStyleFactory>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

using namespace brisklet::snapshots;

namespace {

bool wanted(const Scene& scene, const QStringList& prefixes) {
    return prefixes.isEmpty() || std::any_of(prefixes.begin(), prefixes.end(), [&](const QString& prefix) {
               return scene.name.startsWith(prefix);
           });
}

// Writes every look and density of one scene; false, with a message, when a file could not be.
bool capture(const Scene& scene, SnapshotFixture& fixture, const QDir& out, int& written) {
    applyLook(Look::light);
    Staged staged = scene.stage(fixture);
    bool ok = true;
    for (const Look look : looks) {
        applyLook(look);
        for (const qreal ratio : densities) {
            const QString file = out.filePath(scene.name + fileSuffix(look, ratio) + QStringLiteral(".png"));
            if (staged.render(ratio).save(file, "PNG")) {
                ++written;
            } else {
                std::fprintf(stderr, "brisklet-snapshots: could not write %s\n", qPrintable(file));
                ok = false;
            }
        }
    }
    staged.render = {};
    if (staged.undo) staged.undo();
    return ok;
}

} // namespace

int main(int argc, char* argv[]) {
    // Pictures never need a display, and must not depend on the desktop they happen to be made on.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    QStringList arguments = QApplication::arguments().mid(1);
    if (arguments == QStringList{QStringLiteral("--list")}) {
        for (const Scene& scene : scenes())
            std::printf("%s\n", qPrintable(scene.name));
        return 0;
    }
    if (arguments.isEmpty() || arguments.front().startsWith(u'-')) {
        std::fprintf(stderr, "usage: brisklet-snapshots OUTDIR [NAME-PREFIX...] | --list\n");
        return 2;
    }
    const QDir out(arguments.takeFirst());
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "brisklet-snapshots: cannot create %s\n", qPrintable(out.path()));
        return 1;
    }

    QElapsedTimer clock;
    clock.start();
    try {
        std::vector<Scene> chosen;
        std::copy_if(scenes().begin(), scenes().end(), std::back_inserter(chosen),
                     [&](const Scene& scene) { return wanted(scene, arguments); });
        if (chosen.empty()) {
            std::fprintf(stderr, "brisklet-snapshots: no scene matches\n");
            return 1;
        }
        // Files of scenes register in no particular order; the run's order should not vary.
        std::stable_sort(chosen.begin(), chosen.end(),
                         [](const Scene& a, const Scene& b) { return a.name < b.name; });

        SnapshotFixture fixture;
        fixture.settle();
        int written = 0;
        bool ok = true;
        for (const Scene& scene : chosen)
            ok = capture(scene, fixture, out, written) && ok;
        std::printf("brisklet-snapshots: %d pictures of %zu scenes in %s, %.1f s\n", written, chosen.size(),
                    qPrintable(QDir::toNativeSeparators(out.absolutePath())), clock.elapsed() / 1000.0);
        return ok ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "brisklet-snapshots: %s\n", e.what());
        return 1;
    }
}
