#include "ui/Application.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace brisklet {

int runApplication(int argc, char* argv[]) {
    QApplication::setOrganizationName(QStringLiteral("brisklet"));
    QApplication::setApplicationName(QStringLiteral("brisklet"));
    QApplication app(argc, argv);

    // The main window with its pages is built on top of the models; until then the program
    // opens a plain window so the windowed start can be exercised end to end.
    QWidget window;
    window.setObjectName(QStringLiteral("main"));
    window.setWindowTitle(QStringLiteral("brisklet"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("brisklet"), &window));
    window.resize(960, 640);
    window.show();
    return app.exec();
}

} // namespace brisklet
