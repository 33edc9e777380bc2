#pragma once
// What the program does on its command line before it opens a window:
// --help, --version and --list-ports answer and end the program; --archive,
// --plant and --csv are read into the program's options. Other arguments are
// left to the toolkit.
#include <optional>

#include "shell/ProgramOptions.h"

// Reads the options into `options`. The exit status when the command line
// asked for an answer only (0) or was wrong (2, with a message), else nothing.
std::optional<int> AnswerCommandLine(int argc, char** argv, ProgramOptions& options);
