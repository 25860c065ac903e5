#include "ui/pages/Pages.h"

#include "ui/pages/JunkView.h"
#include "ui/pages/LargeFilesView.h"
#include "ui/pages/MemoryView.h"
#include "ui/pages/NodeModulesView.h"
#include "ui/pages/OverviewView.h"

#include <QWidget>

namespace brisklet::ui {

QWidget* makePage(Page page, const PageContext& context, QWidget* parent) {
    QWidget* widget = nullptr;
    switch (page) {
    case Page::junk: widget = new JunkView(context, parent); break;
    case Page::overview: widget = new OverviewView(context, parent); break;
    case Page::largeFiles: widget = new LargeFilesView(context, parent); break;
    case Page::nodeModules: widget = new NodeModulesView(context, parent); break;
    case Page::memory: widget = new MemoryView(context, parent); break;
    }
    widget->setObjectName(QString::fromUtf8(rawValue(page)));
    return widget;
}

} // namespace brisklet::ui
