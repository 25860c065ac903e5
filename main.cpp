#include "app/ProgramEntry.h"
#include "app/Report.h"
#include "ui/Application.h"

int main(int argc, char* argv[]) {
    // The report must not touch the GUI: decide before any Qt application object exists.
    if (brisklet::wantsReport(argc, argv)) {
        brisklet::Report::print();
        return 0;
    }
    return brisklet::runApplication(argc, argv);
}
