#include "tools/render/DrawTiming.h"

#include <chrono>
#include <ctime>
#include <vector>

#include "views/Picture.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// The routine, then the window painted at once as the event loop would paint it.
void DrawAndPaint(const View& view, std::vector<double>* routine, std::vector<double>* total) {
  const Clock::time_point start = Clock::now();
  view.Draw();
  const Clock::time_point drawn = Clock::now();
  view.Window->repaint();
  const Clock::time_point painted = Clock::now();
  if (routine) routine->push_back(MsBetween(start, drawn));
  if (total) total->push_back(MsBetween(start, painted));
}

TimeSummary TimeReload(const View& view, int runs) {
  if (view.Image == nullptr) return {};
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const Clock::time_point start = Clock::now();
    view.Image->LoadFromFile(view.Picture);
    times.push_back(MsBetween(start, Clock::now()));
  }
  return Summarize(times);
}

}  // namespace

DrawTimes TimeView(const View& view, int runs) {
  DrawTimes result;
  const Clock::time_point first = Clock::now();
  DrawAndPaint(view, nullptr, nullptr);
  result.FirstMs = MsBetween(first, Clock::now());

  std::vector<double> routine, total;
  const double cpuStart = ThreadCpuMs();
  for (int i = 0; i < runs; ++i) DrawAndPaint(view, &routine, &total);
  result.ProcessorMs = runs > 0 ? (ThreadCpuMs() - cpuStart) / runs : 0;
  result.Routine = Summarize(routine);
  result.Total = Summarize(total);
  result.Reload = TimeReload(view, runs);
  // Leave the view as drawn, not as a bare picture after the reloads.
  if (view.Image != nullptr) view.Draw();
  return result;
}
