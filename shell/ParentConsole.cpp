#include "shell/ParentConsole.h"

#ifdef _WIN32
#include <windows.h>

#include <cstdio>

void UseParentConsole() {
  // Output already going to a file or a pipe stays there.
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
}
#else
void UseParentConsole() {}
#endif
