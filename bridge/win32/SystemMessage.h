#pragma once
// A Windows error code as the log says it: "error 5, Access is denied".
#include <windows.h>
#include <string>

std::string SystemMessage(DWORD error);
