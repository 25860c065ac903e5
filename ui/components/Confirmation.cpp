#include "ui/components/Confirmation.h"

#include "ui/theme/TextStyles.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace brisklet::ui {

namespace {

constexpr int minimumMessageWidth = 340;

} // namespace

QMessageBox* confirm(QWidget* parent, const Confirmation& question, std::function<void()> onConfirm) {
    auto* box = new QMessageBox(parent);
    box->setObjectName(QStringLiteral("confirmation"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(QMessageBox::Warning);
    // The title shows in the box itself too: many window managers draw no title on dialogs.
    box->setWindowTitle(question.title);
    box->setText(question.title);
    box->setInformativeText(question.message);
    box->setTextFormat(Qt::PlainText);
    QPushButton* goAhead = box->addButton(question.confirmText, QMessageBox::DestructiveRole);
    QPushButton* cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    // QMessageBox sizes itself from the screen and can end up a narrow column of words; a question
    // this short reads best on two or three lines.
    if (auto* message = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        message->setMinimumWidth(minimumMessageWidth);
    // The question itself leads, the message explains.
    if (auto* title = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
        title->setFont(font(TextStyle::headline));
    box->setDefaultButton(goAhead);
    box->setEscapeButton(cancel);
    QObject::connect(box, &QMessageBox::buttonClicked, box,
                     [goAhead, onConfirm = std::move(onConfirm)](QAbstractButton* clicked) {
                         if (clicked == goAhead && onConfirm) onConfirm();
                     });
    box->open();
    return box;
}

} // namespace brisklet::ui
