#pragma once
// The main window's status line: a read-only line edit whose text changes
// every tick. It draws exactly what a plain line edit draws on its parent's
// background, but keeps the style's framed panel on that background as a
// picture: a new text then costs the text alone, not the style's antialiased
// frame and the parent painted behind it.
#include <QLineEdit>

class StatusLine : public QLineEdit {
public:
  // The parent fills its background with its window colour; the picture is
  // drawn on that colour.
  explicit StatusLine(QWidget* parent);
};
