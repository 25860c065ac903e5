#pragma once

#include <QString>

#include <functional>

class QMessageBox;
class QWidget;

namespace brisklet::ui {

// What a destructive action asks before it runs: a title, a message, and the label of the button
// that goes ahead (the other one is always "Cancel").
struct Confirmation {
    QString title;
    QString message;
    QString confirmText;
};

// Opens the question as a window-modal message box over `parent` and returns at once. The going-ahead
// button has the destructive role and is the default (Return presses it); "Cancel" is the escape
// button. `onConfirm` runs only when the user goes ahead; either button closes the box, which then
// deletes itself. The box's object name is "confirmation", for tests and pictures to find it.
QMessageBox* confirm(QWidget* parent, const Confirmation& question, std::function<void()> onConfirm);

} // namespace brisklet::ui
