#include "shell/SingleInstance.h"

#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStandardPaths>
#include <limits>

InstanceLock::InstanceLock(const QString& folder, const QString& desktop) {
  if (desktop.isEmpty()) return;
  QString name = desktop;
  name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_"));
  QDir().mkpath(folder);
  lock_ = std::make_unique<QLockFile>(QDir(folder).filePath(QStringLiteral("PCZentrixNet-%1.lock").arg(name)));
  // A lock whose program no longer runs is taken over; a running program's
  // lock never ages out.
  lock_->setStaleLockTime(std::numeric_limits<int>::max());
  first_ = lock_->tryLock(0);
}

QString InstanceLock::LockFolder() {
#ifdef _WIN32
  return QDir::tempPath();  // the user's own
#else
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return runtime.isEmpty() ? QDir::tempPath() : runtime;
#endif
}

QString InstanceLock::DesktopName() {
  const QString platform = QGuiApplication::platformName();
  if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return {};
#ifdef _WIN32
  return QStringLiteral("windows");
#else
  const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
  return wayland.isEmpty() ? qEnvironmentVariable("DISPLAY") : wayland;
#endif
}

bool AskToStartAnother(QWidget* owner) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("PCZentrixNet"),
                  QStringLiteral("PCZentrixNet läuft schon.\n\nEin zweites PCZentrixNet ist nur für eine zweite Anlage "
                                 "an einer anderen Schnittstelle sinnvoll. Trotzdem starten?"),
                  QMessageBox::Yes | QMessageBox::No, owner);
  box.setObjectName(QStringLiteral("SecondInstanceBox"));
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}
