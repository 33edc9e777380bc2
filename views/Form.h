#pragma once
// The base of every window: a top-level widget with a fixed client size,
// white, either with a single fixed border and a caption or without border.
// Windows are created once and only shown, hidden and moved.
#include <QString>
#include <QWidget>

enum class FormBorder { Single, Dialog, None };

class TForm : public QWidget {
public:
  TForm(QWidget* owner, int clientWidth, int clientHeight, FormBorder border, const QString& caption = QString());

  // Outer position and size, as window placement works with them.
  int Left() const;
  int Top() const;
  int OuterWidth() const;
  int OuterHeight() const;
  void MoveTo(int left, int top);
};
