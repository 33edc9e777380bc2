// WindowsService on Windows: the service manager's calls. The service's main
// and its control handler run on the dispatcher's thread; the bridge runs on
// the main thread with its Qt event loop, as it does at a console.
#include "bridge/WindowsService.h"

#include <windows.h>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/Exception.h"
#include "bridge/BridgeFolder.h"
#include "bridge/BridgeLog.h"
#include "bridge/SignalWatch.h"
#include "bridge/win32/SystemMessage.h"
#include "bridge/win32/Utf8Paths.h"

namespace {

constexpr int Refused = 2;  // as a bad configuration
constexpr int Failed = 1;
constexpr DWORD PendingHintMs = 30000;
constexpr DWORD RestartDelayMs = 10000;
constexpr DWORD FailureCountResetS = 24 * 60 * 60;
constexpr int StopLimitS = 120;

std::wstring ThisProgram() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) return path.substr(0, n);
    path.resize(path.size() * 2);
  }
}

struct HandleCloser {
  void operator()(SC_HANDLE handle) const { CloseServiceHandle(handle); }
};
using ServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, HandleCloser>;

// What went wrong, in the words an administrator acts on.
std::string Problem(DWORD error, const std::string& name) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
      return "needs an administrator: run it in a command prompt opened with \"Run as administrator\"";
    case ERROR_SERVICE_EXISTS: return "a service named " + name + " exists already (--remove-service " + name + ")";
    case ERROR_DUPLICATE_SERVICE_NAME: return "another service is shown as " + name + " already";
    case ERROR_SERVICE_DOES_NOT_EXIST: return "there is no service named " + name;
    case ERROR_SERVICE_MARKED_FOR_DELETE:
      return "the service " + name + " is being removed; close the Services window and try again";
    default: return SystemMessage(error);
  }
}

int Refuse(const char* option, const std::string& problem) {
  BridgeLog::Line(std::string("zentrixnet-bridge: --") + option + ": " + problem);
  return Refused;
}

// Restarted 10 s after each failure, the count of failures starting over
// after a day without one.
bool SetRecovery(SC_HANDLE service) {
  SC_ACTION restart[3] = {
      {SC_ACTION_RESTART, RestartDelayMs}, {SC_ACTION_RESTART, RestartDelayMs}, {SC_ACTION_RESTART, RestartDelayMs}};
  SERVICE_FAILURE_ACTIONSW actions{};
  actions.dwResetPeriod = FailureCountResetS;
  actions.cActions = 3;
  actions.lpsaActions = restart;
  return ChangeServiceConfig2W(service, SERVICE_CONFIG_FAILURE_ACTIONS, &actions);
}

// An exit status other than 0 counts as a failure too, not only a crash. A
// system that does not know the setting (wine) restarts after crashes only.
void RestartOnExitStatusToo(SC_HANDLE service, const std::string& name) {
  SERVICE_FAILURE_ACTIONS_FLAG onExitStatus{TRUE};
  if (!ChangeServiceConfig2W(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &onExitStatus))
    BridgeLog::Line("warning: the service " + name + " is restarted after a crash only, not after an exit status (" +
                    SystemMessage(GetLastError()) + ")");
}

void Describe(SC_HANDLE service) {
  std::wstring text = L"Polls the photovoltaic plant's controller and publishes its values to an MQTT broker.";
  SERVICE_DESCRIPTIONW description{text.data()};
  ChangeServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, &description);
}

bool WaitUntilStopped(SC_HANDLE service) {
  for (int i = 0; i < StopLimitS * 4; ++i) {
    SERVICE_STATUS status{};
    if (!QueryServiceStatus(service, &status)) return false;
    if (status.dwCurrentState == SERVICE_STOPPED) return true;
    Sleep(250);
  }
  return false;
}

// The program file that a service's command line starts: its quoted first
// word, or the first word up to a blank.
std::wstring ProgramOf(const std::wstring& command) {
  if (!command.empty() && command.front() == L'"') return command.substr(1, command.find(L'"', 1) - 1);
  return command.substr(0, command.find(L' '));
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The command line the service NAME runs; empty when it cannot be read.
std::wstring CommandOf(SC_HANDLE manager, const wchar_t* name) {
  const ServiceHandle service(OpenServiceW(manager, name, SERVICE_QUERY_CONFIG));
  DWORD needed = 0;
  if (!service ||
      (!QueryServiceConfigW(service.get(), nullptr, 0, &needed) && GetLastError() != ERROR_INSUFFICIENT_BUFFER))
    return {};
  std::vector<BYTE> buffer(needed);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  if (!QueryServiceConfigW(service.get(), config, needed, &needed) || config->lpBinaryPathName == nullptr) return {};
  return config->lpBinaryPathName;
}

// The names of the services whose command line starts the program file.
std::vector<std::wstring> ServicesRunning(SC_HANDLE manager, const std::wstring& program) {
  std::vector<std::wstring> names;
  std::vector<BYTE> buffer(64 * 1024);
  DWORD resume = 0;
  for (;;) {
    DWORD needed = 0, count = 0;
    const BOOL complete =
        EnumServicesStatusExW(manager, SC_ENUM_PROCESS_INFO, SERVICE_WIN32, SERVICE_STATE_ALL, buffer.data(),
                              static_cast<DWORD>(buffer.size()), &needed, &count, &resume, nullptr);
    if (!complete && GetLastError() != ERROR_MORE_DATA) break;
    const auto* services = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSW*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
      if (SameFile(ProgramOf(CommandOf(manager, services[i].lpServiceName)), program))
        names.emplace_back(services[i].lpServiceName);
    if (complete) break;
    if (needed > buffer.size()) buffer.resize(needed);
  }
  return names;
}

// The one service this process runs: what its main, its control handler and
// the main thread share.
struct Service {
  std::wstring Name;
  std::mutex Lock;
  std::condition_variable Changed;
  bool Connected = false;  // the service's main runs, or the dispatcher gave up
  bool Finished = false;
  int ExitStatus = 0;
  SERVICE_STATUS_HANDLE Handle = nullptr;
  SERVICE_STATUS Status{};

  // Under Lock.
  void Report(DWORD state, int exitStatus = 0) {
    Status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    Status.dwCurrentState = state;
    Status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN | SERVICE_ACCEPT_PRESHUTDOWN : 0;
    Status.dwWin32ExitCode = exitStatus == 0 ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR;
    Status.dwServiceSpecificExitCode = static_cast<DWORD>(exitStatus);
    const bool pending = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING;
    Status.dwCheckPoint = pending ? Status.dwCheckPoint + 1 : 0;
    Status.dwWaitHint = pending ? PendingHintMs : 0;
    SetServiceStatus(Handle, &Status);
  }
};

Service TheService;

DWORD WINAPI OnControl(DWORD control, DWORD, void*, void*) {
  switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
    case SERVICE_CONTROL_PRESHUTDOWN: {
      const std::lock_guard<std::mutex> hold(TheService.Lock);
      if (TheService.Finished) return NO_ERROR;
      TheService.Report(SERVICE_STOP_PENDING);
      SignalWatch::RequestStop(SignalWatch::ServiceStop);
      return NO_ERROR;
    }
    case SERVICE_CONTROL_INTERROGATE: return NO_ERROR;
    default: return ERROR_CALL_NOT_IMPLEMENTED;
  }
}

// On the dispatcher's thread until the main thread has finished the bridge.
void WINAPI ServiceMain(DWORD, LPWSTR*) {
  std::unique_lock<std::mutex> hold(TheService.Lock);
  TheService.Handle = RegisterServiceCtrlHandlerExW(TheService.Name.c_str(), &OnControl, nullptr);
  if (TheService.Handle != nullptr) TheService.Report(SERVICE_START_PENDING);
  TheService.Connected = true;
  TheService.Changed.notify_all();
  if (TheService.Handle == nullptr) return;
  TheService.Changed.wait(hold, [] { return TheService.Finished; });
  TheService.Report(SERVICE_STOPPED, TheService.ExitStatus);
}

void Finish(int exitStatus) {
  const std::lock_guard<std::mutex> hold(TheService.Lock);
  TheService.ExitStatus = exitStatus;
  TheService.Finished = true;
  TheService.Changed.notify_all();
}

std::filesystem::path LogPath(const std::string& name) {
  return BridgeArchiveFolder(RunAs::Service) / "logs" / WideFromUtf8(name + ".log");
}

int RunLogged(const std::string& name, const std::function<int()>& body) {
  try {
    BridgeLog::ToFile(LogPath(name));
  } catch (const std::exception&) {
    return Failed;  // nowhere to say why: the service manager shows the exit status
  }
  BridgeLog::Line("starting as the service " + name);
  {
    const std::lock_guard<std::mutex> hold(TheService.Lock);
    TheService.Report(SERVICE_RUNNING);
  }
  int status = Failed;
  try {
    status = body();
  } catch (const std::exception& e) {
    BridgeLog::Line(std::string("zentrixnet-bridge: ") + e.what());
  }
  BridgeLog::Line("the service " + name + " ends with exit status " + std::to_string(status));
  return status;
}

}  // namespace

int InstallWindowsService(const std::string& name, const std::string& configFile) {
  std::error_code error;
  const std::filesystem::path config = std::filesystem::absolute(WideFromUtf8(configFile), error);
  if (error) return Refuse("config", "cannot tell the full path of " + configFile);
  const std::wstring command =
      L"\"" + ThisProgram() + L"\" --service " + WideFromUtf8(name) + L" --config \"" + config.wstring() + L"\"";
  const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE));
  if (!manager) return Refuse("install-service", Problem(GetLastError(), name));
  const std::wstring shown = WideFromUtf8("PCZentrixNet bridge " + name);
  const ServiceHandle service(CreateServiceW(
      manager.get(), WideFromUtf8(name).c_str(), shown.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
      SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
  if (!service) return Refuse("install-service", Problem(GetLastError(), name));
  if (!SetRecovery(service.get())) {
    const DWORD failure = GetLastError();
    DeleteService(service.get());
    return Refuse("install-service", "cannot set the restart on failure (" + SystemMessage(failure) + ")");
  }
  RestartOnExitStatusToo(service.get(), name);
  Describe(service.get());
  BridgeLog::Line("installed the service " + name + ": " + Utf8FromWide(command));
  return 0;
}

int RemoveWindowsService(const std::string& name) {
  const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager) return Refuse("remove-service", Problem(GetLastError(), name));
  const ServiceHandle service(
      OpenServiceW(manager.get(), WideFromUtf8(name).c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
  if (!service) return Refuse("remove-service", Problem(GetLastError(), name));
  SERVICE_STATUS status{};
  if (ControlService(service.get(), SERVICE_CONTROL_STOP, &status)) {
    if (!WaitUntilStopped(service.get()))
      BridgeLog::Line("zentrixnet-bridge: the service " + name + " did not stop; it is removed once it has");
  } else if (const DWORD failure = GetLastError(); failure != ERROR_SERVICE_NOT_ACTIVE) {
    return Refuse("remove-service", "cannot stop " + name + " (" + Problem(failure, name) + ")");
  }
  if (!DeleteService(service.get())) return Refuse("remove-service", Problem(GetLastError(), name));
  BridgeLog::Line("removed the service " + name);
  return 0;
}

int RemoveServicesOfThisProgram() {
  const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE));
  if (!manager) return Refuse("remove-services", Problem(GetLastError(), ""));
  const std::vector<std::wstring> names = ServicesRunning(manager.get(), ThisProgram());
  if (names.empty()) BridgeLog::Line("no service runs " + Utf8FromWide(ThisProgram()));
  int status = 0;
  for (const std::wstring& name : names)
    if (RemoveWindowsService(Utf8FromWide(name)) != 0) status = Refused;
  return status;
}

int RunAsWindowsService(const std::string& name, const std::function<int()>& body) {
  TheService.Name = WideFromUtf8(name);
  DWORD dispatchError = 0;
  std::thread dispatcher([&dispatchError] {
    SERVICE_TABLE_ENTRYW table[] = {{TheService.Name.data(), &ServiceMain}, {nullptr, nullptr}};
    if (StartServiceCtrlDispatcherW(table)) return;
    const std::lock_guard<std::mutex> hold(TheService.Lock);
    dispatchError = GetLastError();
    TheService.Connected = true;
    TheService.Changed.notify_all();
  });
  bool connected = false;
  {
    std::unique_lock<std::mutex> hold(TheService.Lock);
    TheService.Changed.wait(hold, [] { return TheService.Connected; });
    connected = TheService.Handle != nullptr;
  }
  if (!connected) {
    dispatcher.join();
    return Refuse("service", "only the service manager starts the bridge this way (" +
                                 (dispatchError == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT
                                      ? "install it with --install-service " + name + " --config FILE"
                                      : SystemMessage(dispatchError)) +
                                 ")");
  }
  const int status = RunLogged(name, body);
  Finish(status);
  dispatcher.join();
  return status;
}
