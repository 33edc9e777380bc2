#pragma once
// The bridge as a Windows service: installed and removed in the service
// manager, and the run that the service manager starts. On Linux systemd runs
// the bridge (pczentrixnet-bridge.service) and the service options are refused.
#include <functional>
#include <optional>
#include <string>

// Why this system takes no service options; nothing on Windows (ServiceRefusal.cpp).
std::optional<std::string> ServiceOptionsRefusal();

// Installs the service NAME: started with the system, restarted on failure,
// running this program with --service NAME --config FILE. The exit status:
// 0 when installed; a refusal is logged.
int InstallWindowsService(const std::string& name, const std::string& configFile);
// Stops the service NAME if it runs, and removes it. The exit status.
int RemoveWindowsService(const std::string& name);
// Stops and removes every service whose command line starts this program
// file, as the setup's uninstaller does before it deletes the file. The exit
// status: 0 when each is removed (or there is none).
int RemoveServicesOfThisProgram();

// Runs as the service NAME: connects to the service manager, sends the log to
// %ProgramData%\PCZentrixNet\logs\NAME.log, runs body on this (the main)
// thread and reports its exit status as the service's. Stop, shutdown and
// preshutdown come to the body as SignalWatch's stop request "service stop".
int RunAsWindowsService(const std::string& name, const std::function<int()>& body);
