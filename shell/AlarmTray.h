#pragma once
// The plant's state on the desktop: an icon in the system tray whose picture
// and tooltip tell it, and a notice for each alarm: the tray's message
// balloon, or, where the desktop has no tray, a notice window.
#include <QSystemTrayIcon>

#include "shell/AlarmTexts.h"
#include "shell/NoticeWindow.h"

class AlarmTray {
public:
  explicit AlarmTray(const Alarm::PlantState& state);

  void Show(const Alarm::PlantState& state);
  void Tell(const AlarmNotice& notice);

  const QSystemTrayIcon& Icon() const { return icon_; }
  AlarmLook Look() const { return look_; }
  const NoticeWindow& Window() const { return window_; }

private:
  QSystemTrayIcon icon_;
  AlarmLook look_;
  NoticeWindow window_;
};
