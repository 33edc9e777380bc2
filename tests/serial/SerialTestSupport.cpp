#include "SerialTestSupport.h"

#include <mutex>

#include "serial/VaClasses.h"
#include "serial/internal/Platform.h"

uint32_t MillisecondsSince(uint32_t tick) { return Platform::GetTickCount() - tick; }

namespace {
std::mutex RecordLock;
std::vector<std::string> Recorded;
std::vector<TVaCommErrorKind> RecordedKinds;
}  // namespace

ExceptionRecord::ExceptionRecord() {
  {
    std::lock_guard guard(RecordLock);
    Recorded.clear();
    RecordedKinds.clear();
  }
  SetApplicationExceptionHandler([](const std::exception& error) {
    std::lock_guard guard(RecordLock);
    Recorded.push_back(error.what());
    if (const auto* comm = dynamic_cast<const EVaCommError*>(&error)) RecordedKinds.push_back(comm->Kind());
  });
}

ExceptionRecord::~ExceptionRecord() { SetApplicationExceptionHandler(nullptr); }

std::vector<std::string> ExceptionRecord::Messages() const {
  std::lock_guard guard(RecordLock);
  return Recorded;
}

std::vector<TVaCommErrorKind> ExceptionRecord::CommErrorKinds() const {
  std::lock_guard guard(RecordLock);
  return RecordedKinds;
}

void PrintTo(TVaCommErrorKind kind, std::ostream* out) {
  constexpr const char* Names[] = {"NotFound",        "NoPermission", "Busy",    "Lost",
                                   "SettingsRefused", "InputOutput",  "PortOpen"};
  *out << Names[int(kind)];
}

std::optional<EVaCommError> CommErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const EVaCommError& error) {
    return error;
  }
  return std::nullopt;
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
  const std::optional<EVaCommError> error = CommErrorOf([&] { comm.Open(); });
  return error ? error->what() : "(no error)";
}
