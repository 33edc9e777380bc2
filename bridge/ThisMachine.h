#pragma once
// What the system tells of this machine: its name and whether an address is
// its loopback, for the default client id and the plain-login warning.
#include <string>

// This machine's name as the system gives it; empty when it gives none.
std::string ThisMachineName();
// An address of 127.0.0.0/8 or ::1, written as an address (nothing is looked up).
bool IsLoopbackAddress(const std::string& host);
