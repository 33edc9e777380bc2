#include "shell/Navigation.h"

#include <QWidget>

#include "settings/TForm13.h"
#include "settings/TForm7.h"
#include "shell/TForm10.h"
#include "shell/TForm11.h"
#include "shell/TStart.h"
#include "views/archive/TForm14.h"
#include "views/history/ChartForms.h"
#include "views/live/TForm4.h"
#include "views/live/TForm6.h"
#include "views/live/TForm9.h"

WindowPosition CentredPosition(int mainLeft, int mainTop, int mainWidth, int mainHeight, int windowWidth,
                               int windowHeight) {
  return {mainLeft + (mainWidth - windowWidth) / 2, mainTop + (mainHeight - windowHeight) / 2};
}

void CentreOver(QWidget* window, int extraTop) {
  if (window == nullptr || Start == nullptr) return;
  const QRect main = Start->frameGeometry();
  const QRect outer = window->frameGeometry();
  const WindowPosition p =
      CentredPosition(main.left(), main.top(), main.width(), main.height(), outer.width(), outer.height());
  window->move(p.Left, p.Top + extraTop);
}

void ShowForm(QWidget* window) {
  if (window == nullptr) return;
  window->show();
  window->raise();
  window->activateWindow();
}

void HideAllViews() { HideAllViewsBut(nullptr); }

void HideAllViewsBut(QWidget* kept) {
  QWidget* const order[] = {Form1, Form3, Form4, Form5, Form6, Form7, Form9, Form10, Form11, Form12, Form13, Form14};
  for (QWidget* w : order)
    if (w != nullptr && w != kept) w->hide();
}
