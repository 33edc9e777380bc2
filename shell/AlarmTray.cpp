#include "shell/AlarmTray.h"

#include "shell/AlarmPictures.h"

AlarmTray::AlarmTray(const Alarm::PlantState& state) : look_(LookOf(state)) {
  icon_.setIcon(AlarmIcon(look_));
  icon_.setToolTip(ToolTipOf(state));
  // Shown also while no tray is there: Qt docks it when a tray starts later.
  icon_.show();
}

void AlarmTray::Show(const Alarm::PlantState& state) {
  const AlarmLook look = LookOf(state);
  if (look != look_) icon_.setIcon(AlarmIcon(look));
  look_ = look;
  const QString tip = ToolTipOf(state);
  if (tip != icon_.toolTip()) icon_.setToolTip(tip);
}

void AlarmTray::Tell(const AlarmNotice& notice) {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    window_.Tell(notice);
    return;
  }
  // Without a notification service (a bare X11 tray) Qt shows its own balloon at the icon.
  const auto kind = IsWarning(notice.Look) ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information;
  icon_.showMessage(notice.Title, notice.Text, kind, NoticeWindow::ShownMs);
}
