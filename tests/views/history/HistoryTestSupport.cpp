#include "HistoryTestSupport.h"

#include <algorithm>

void ChartTest::SetUp() {
  ClearPlantStore();
  Form1 = &form1;
  Form12 = &form12;
  Form3 = &form3;
  Form5 = &form5;
  for (TImage* image : {form1.Image1, form12.Image1, form3.Image1, form5.Image1}) image->GetCanvas().EnableLog(true);
}

void ChartTest::TearDown() {
  Form1 = nullptr;
  Form12 = nullptr;
  Form3 = nullptr;
  Form5 = nullptr;
}

void SetPlantSize(int tenthsOfKwp) {
  Block3[38] = static_cast<uint16_t>(tenthsOfKwp);
  RecomputeScales();
}

void SetTodayYield(int hundredthsOfKwh) { Block14[41] = static_cast<uint16_t>(hundredthsOfKwh); }

std::vector<DrawLogEntry> Texts(const std::vector<DrawLogEntry>& log) {
  std::vector<DrawLogEntry> texts;
  std::copy_if(log.begin(), log.end(), std::back_inserter(texts),
               [](const DrawLogEntry& e) { return e.op == DrawLogEntry::TextOut; });
  return texts;
}

const DrawLogEntry* TextAt(const std::vector<DrawLogEntry>& log, int x, int y) {
  for (const DrawLogEntry& e : log)
    if (e.op == DrawLogEntry::TextOut && e.x == x && e.y == y) return &e;
  return nullptr;
}

std::vector<Polyline> PolylinesFrom(const std::vector<DrawLogEntry>& log, const std::vector<QPoint>& starts) {
  std::vector<Polyline> lines;
  bool open = false;
  for (const DrawLogEntry& e : log) {
    if (e.op == DrawLogEntry::MoveTo) {
      open = std::find(starts.begin(), starts.end(), QPoint(e.x, e.y)) != starts.end();
      if (open) lines.push_back({QPoint(e.x, e.y), {}, {}});
    } else if (e.op == DrawLogEntry::LineTo && open) {
      lines.back().points.emplace_back(e.x, e.y);
      lines.back().colors.push_back(e.color);
    } else {
      open = false;
    }
  }
  return lines;
}

std::vector<Polyline> BarOutlines(const std::vector<DrawLogEntry>& log, int left, int baseline) {
  return PolylinesFrom(log, {QPoint(left, baseline)});
}
