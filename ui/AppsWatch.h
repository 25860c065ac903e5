#pragma once

class QWidget;

namespace brisklet {
class MemoryModel;
}

namespace brisklet::ui {

// Tells `memory` that `widget` shows the app lists for as long as it is on screen: shown and not
// minimised. The model may then skip its apps pass while nothing shows them. Lasts as long as the
// widget; the model must outlive it.
void watchAppsWhileShown(MemoryModel& memory, QWidget& widget);

} // namespace brisklet::ui
