#include "bridge/CsvExportCommand.h"

#include <unistd.h>
#include <cstdio>
#include <exception>
#include <string>

#include "archive/RangeExport.h"
#include "bridge/SignalWatch.h"

namespace {

// Rewrites one line on a terminal whenever the percentage moves; off a
// terminal (a log or a pipe) only the outcome is written.
class ProgressLine {
public:
  ProgressLine() : terminal_(isatty(STDERR_FILENO) == 1) {}

  bool Show(int64_t done, int64_t total) {
    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
    if (terminal_ && percent != shown_) {
      std::fprintf(stderr, "\rCSV export: %lld of %lld rows (%d %%)", static_cast<long long>(done),
                   static_cast<long long>(total), percent);
      std::fflush(stderr);
      shown_ = percent;
    }
    return !SignalWatch::StopSignalPending();
  }

  void End() {
    if (terminal_ && shown_ >= 0) std::fputc('\n', stderr);
    shown_ = -1;
  }

private:
  bool terminal_;
  int shown_ = -1;
};

}  // namespace

int RunCsvExportCommand(const BridgeOptions& options) {
  ProgressLine line;
  try {
    const Archive::CsvExportResult result = Archive::ExportArchiveRange(
        options.ArchiveFile, options.ExportCsv->Days, options.ExportCsv->Folder, options.CsvStyle,
        [&line](int64_t done, int64_t total) { return line.Show(done, total); });
    line.End();
    if (result.Cancelled) std::fprintf(stderr, "the CSV export was cancelled; no file was written\n");
    else std::fprintf(stderr, "wrote %zu CSV files into %s\n", result.Files.size(), options.ExportCsv->Folder.c_str());
    return result.Cancelled ? 1 : 0;
  } catch (const std::exception& e) {
    line.End();
    std::fprintf(stderr, "zentrixnet-bridge: %s\n", e.what());
    return 1;
  }
}
