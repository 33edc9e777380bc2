#include "shell/InformationBox.h"

#include <QMessageBox>
#include <QPointer>

namespace {

QString LastText;
QPointer<QMessageBox> Box;

}  // namespace

void ShowInformation(QWidget* owner, const QString& text) {
  LastText = text;
  if (Box.isNull()) {
    Box = new QMessageBox(QMessageBox::Information, QStringLiteral("PCZentrixNet"), text, QMessageBox::Ok, owner);
    Box->setAttribute(Qt::WA_DeleteOnClose);
    Box->setModal(false);
    Box->setObjectName(QStringLiteral("InformationBox"));
  } else {
    Box->setText(text);
  }
  Box->show();
  Box->raise();
}

const QString& LastInformation() { return LastText; }
