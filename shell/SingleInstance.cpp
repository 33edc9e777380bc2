#include "shell/SingleInstance.h"

#include <QDir>
#include <QGuiApplication>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStandardPaths>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#endif

namespace {

QString LockName(const QString& desktop) {
  QString name = desktop;
  name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_"));
  return QStringLiteral("PCZentrixNet-%1").arg(name);
}

}  // namespace

#ifdef _WIN32
InstanceLock::InstanceLock(const QString& folder, const QString& desktop) {
  if (desktop.isEmpty()) return;
  // The folder names the user's own; the session's namespace keeps users apart.
  const QString name = QStringLiteral("Local\\") + LockName(desktop) + QLatin1Char('-') +
                       QString::number(qHash(QDir(folder).absolutePath()), 16);
  mutex_ = CreateMutexW(nullptr, FALSE, reinterpret_cast<const wchar_t*>(name.utf16()));
  first_ = mutex_ == nullptr || GetLastError() != ERROR_ALREADY_EXISTS;
}

InstanceLock::~InstanceLock() {
  if (mutex_ != nullptr) CloseHandle(mutex_);
}
#else
InstanceLock::InstanceLock(const QString& folder, const QString& desktop) {
  if (desktop.isEmpty()) return;
  QDir().mkpath(folder);
  const QByteArray file = QFile::encodeName(QDir(folder).filePath(LockName(desktop) + QStringLiteral(".lock")));
  file_ = open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // A lock that cannot be made (no such folder) lets the program start.
  first_ = file_ < 0 || flock(file_, LOCK_EX | LOCK_NB) == 0;
}

InstanceLock::~InstanceLock() {
  if (file_ >= 0) close(file_);
}
#endif

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

std::unique_ptr<QMessageBox> SecondStartQuestion(QWidget* owner) {
  auto box = std::make_unique<QMessageBox>(
      QMessageBox::Question, QStringLiteral("PCZentrixNet"),
      QStringLiteral("PCZentrixNet läuft schon.\n\nEin zweites PCZentrixNet ist nur für eine zweite Anlage "
                     "an einer anderen Schnittstelle sinnvoll. Trotzdem starten?"),
      QMessageBox::Yes | QMessageBox::No, owner);
  box->setObjectName(QStringLiteral("SecondInstanceBox"));
  box->setDefaultButton(QMessageBox::No);
  return box;
}

bool AskToStartAnother(QWidget* owner) { return SecondStartQuestion(owner)->exec() == QMessageBox::Yes; }
