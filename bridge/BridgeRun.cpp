#include "bridge/BridgeRun.h"

#include "bridge/BridgeLog.h"

BridgeRun::BridgeRun(const BridgeOptions& options, const std::string& password, RunAs as)
    : lock_(options.Plant), bridge_(options, password, BridgeArchiveFolder(as)) {}

int BridgeRun::Exec(QCoreApplication& app) {
  app_ = &app;
  if (!bridge_.Start()) return CannotRun;
  return app.exec();
}

void BridgeRun::Stop(const std::string& reason) {
  BridgeLog::Line("stopping on " + reason);
  bridge_.Stop([this] {
    if (app_ != nullptr) app_->quit();
  });
}
