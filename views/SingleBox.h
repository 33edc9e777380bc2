#pragma once
// A message box of which at most one is on the screen: a second text replaces
// the first's instead of stacking boxes (or nested event loops). It does not
// stop the program and closes itself with "OK".
#include <QMessageBox>
#include <QPointer>

void ShowSingleBox(QPointer<QMessageBox>& box, QMessageBox::Icon icon, const QString& text, QWidget* owner,
                   const QString& objectName);
