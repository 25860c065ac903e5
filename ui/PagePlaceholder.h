#pragma once

#include "ui/Page.h"

class QWidget;

namespace brisklet::ui {

// A page's header over an empty area: what each detail slot shows until the page itself exists.
QWidget* pagePlaceholder(Page page, QWidget* parent);

} // namespace brisklet::ui
