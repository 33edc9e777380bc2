#pragma once

// A Windows window program has no console of its own: when started from a
// console window without redirected output, --help, --version and
// --list-ports write into that console. Does nothing elsewhere.
void UseParentConsole();
