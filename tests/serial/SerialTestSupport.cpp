#include "SerialTestSupport.h"

#include <mutex>

#include "serial/VaClasses.h"
#include "serial/internal/Platform.h"

uint32_t MillisecondsSince(uint32_t tick) { return Platform::GetTickCount() - tick; }

namespace {
std::mutex RecordLock;
std::vector<std::string> Recorded;
}  // namespace

ExceptionRecord::ExceptionRecord() {
  {
    std::lock_guard guard(RecordLock);
    Recorded.clear();
  }
  SetApplicationExceptionHandler([](const std::exception& error) {
    std::lock_guard guard(RecordLock);
    Recorded.push_back(error.what());
  });
}

ExceptionRecord::~ExceptionRecord() { SetApplicationExceptionHandler(nullptr); }

std::vector<std::string> ExceptionRecord::Messages() const {
  std::lock_guard guard(RecordLock);
  return Recorded;
}

void ConfigureLikeApplication(TVaComm& comm) {
  comm.SetBaudrate(br2400);
  comm.EventChars().SetEventChar(9);
  comm.EventChars().SetEofChar(9);
  TVaFlowControl flow;  // everything off, DTR and RTS disabled
  comm.SetFlowControl(flow);
  comm.SetDeviceName("\\\\.\\COM%d");
  comm.SetMonitorEvents({ceRxChar, ceRx80Full});
}

std::string OpenError(TVaComm& comm) {
  try {
    comm.Open();
  } catch (const EVaCommError& error) {
    return error.what();
  }
  return "(no error)";
}
