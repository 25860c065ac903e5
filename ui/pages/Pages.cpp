#include "ui/pages/Pages.h"

#include "ui/PagePlaceholder.h"

#include <QWidget>

namespace brisklet::ui {

QWidget* makePage(Page page, const PageContext& context, QWidget* parent) {
    QWidget* widget = nullptr;
    switch (page) {
    case Page::overview:
    case Page::junk:
    case Page::nodeModules:
    case Page::largeFiles:
    case Page::memory:
        break;
    }
    (void)context;
    if (!widget) widget = pagePlaceholder(page, parent);
    widget->setObjectName(QString::fromUtf8(rawValue(page)));
    return widget;
}

} // namespace brisklet::ui
