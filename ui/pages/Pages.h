#pragma once

#include "ui/Page.h"
#include "ui/pages/PageContext.h"

class QWidget;

namespace brisklet::ui {

// The widget that fills the window's detail area for `page`, its object name the page's raw value.
QWidget* makePage(Page page, const PageContext& context, QWidget* parent);

} // namespace brisklet::ui
