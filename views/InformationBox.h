#pragma once
// What the program tells the user after an action went well (an export, a
// takeover into the archive): one box at a time that does not stop the
// program, as the exception display does for errors.
#include <QString>

class QWidget;

void ShowInformation(QWidget* owner, const QString& text);
// The text shown last (for tests); empty before the first.
const QString& LastInformation();
