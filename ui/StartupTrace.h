#pragma once

class QWidget;

namespace brisklet::ui {

// With BRISKLET_TRACE_STARTUP set, prints "first paint after N ms" to stderr once `window` has first
// been painted and put on screen, counted from the start of the process; otherwise does nothing.
// Call after the window was shown. The benchmark scripts read this line.
void traceFirstPaint(QWidget& window);

} // namespace brisklet::ui
