#include "ui/components/Confirmation.h"

#include <QMessageBox>
#include <QPushButton>

namespace brisklet::ui {

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
