#include "views/Form.h"

#include <QPalette>

TForm::TForm(QWidget* owner, int clientWidth, int clientHeight, FormBorder border, const QString& caption)
    : QWidget(owner, Qt::Window) {
  Qt::WindowFlags flags = Qt::Window;
  switch (border) {
    case FormBorder::Single:
      flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
               Qt::WindowCloseButtonHint;
      break;
    case FormBorder::Dialog: flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint; break;
    case FormBorder::None: flags |= Qt::FramelessWindowHint; break;
  }
  setWindowFlags(flags);
  setFixedSize(clientWidth, clientHeight);
  setWindowTitle(caption);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  setPalette(palette);
  setAutoFillBackground(true);
}

int TForm::Left() const { return frameGeometry().left(); }
int TForm::Top() const { return frameGeometry().top(); }
int TForm::OuterWidth() const { return frameGeometry().width(); }
int TForm::OuterHeight() const { return frameGeometry().height(); }

void TForm::MoveTo(int left, int top) { move(left, top); }
