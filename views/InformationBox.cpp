#include "views/InformationBox.h"

#include "views/SingleBox.h"

namespace {

QString LastText;
QPointer<QMessageBox> Box;

}  // namespace

void ShowInformation(QWidget* owner, const QString& text) {
  LastText = text;
  ShowSingleBox(Box, QMessageBox::Information, text, owner, QStringLiteral("InformationBox"));
}

const QString& LastInformation() { return LastText; }
