#pragma once
// The alarm notice where the desktop has no tray: a small window in the
// screen's lower right corner that never takes the focus from the window the
// user works in, and closes itself after a while or on a click.
#include <QFrame>

#include "shell/AlarmTexts.h"

class QLabel;
class QTimer;

class NoticeWindow : public QFrame {
public:
  static constexpr int ShownMs = 30000;

  NoticeWindow();
  // Shows the notice; one that is still shown gives way to it.
  void Tell(const AlarmNotice& notice);
  QString Text() const;

protected:
  void mousePressEvent(QMouseEvent* event) override;

private:
  void PlaceInCorner();

  QLabel* Picture;
  QLabel* Heading;
  QLabel* Body;
  QTimer* CloseTimer;
};
