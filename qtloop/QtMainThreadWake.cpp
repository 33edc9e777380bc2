#include "qtloop/QtMainThreadWake.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include "base/MainThreadCalls.h"

namespace {

// Lives on the main thread and receives the events that queuing threads post.
class QueuedCallsReceiver : public QObject {
public:
  bool event(QEvent*) override {
    CheckSynchronize();
    return true;
  }
};

class QtMainThreadWake : public MainThreadWake {
public:
  QtMainThreadWake() : receiver_(new QueuedCallsReceiver) {}  // lives as long as the program
  void Wake() override { QCoreApplication::postEvent(receiver_, new QEvent(QEvent::User)); }

private:
  QueuedCallsReceiver* receiver_;
};

}  // namespace

void InstallQtMainThreadWake() {
  static QtMainThreadWake* wake = nullptr;
  if (wake != nullptr || QCoreApplication::instance() == nullptr || !IsMainThread()) return;
  wake = new QtMainThreadWake;  // lives as long as the program, past every port's threads
  SetMainThreadWake(wake);
}
