#pragma once
// What the program does on its command line before it opens a window:
// --help, --version and --list-ports answer and end the program. Other
// arguments are left to the toolkit.
#include <optional>

// The exit status when the command line asked for an answer only, else nothing.
std::optional<int> AnswerCommandLine(int argc, char** argv);
