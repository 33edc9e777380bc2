#include "views/SingleBox.h"

void ShowSingleBox(QPointer<QMessageBox>& box, QMessageBox::Icon icon, const QString& text, QWidget* owner,
                   const QString& objectName) {
  if (box.isNull()) {
    box = new QMessageBox(icon, QStringLiteral("PCZentrixNet"), text, QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->setObjectName(objectName);
  } else {
    box->setText(text);
  }
  box->show();
  box->raise();
}
