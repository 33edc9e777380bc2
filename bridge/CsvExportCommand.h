#pragma once
// zentrixnet-bridge --archive FILE --export-csv FROM TO OUTDIR: the archive's
// days as CSV files, with a progress line on a terminal. SIGINT or SIGTERM
// cancels the export, which then leaves no file behind.
#include "bridge/BridgeOptions.h"

// The exit status: 0 when the files are written, 1 when the export failed or
// was cancelled (the reason on standard error).
int RunCsvExportCommand(const BridgeOptions& options);
