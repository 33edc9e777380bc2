#include "PacedLine.h"

void PacedLine::Send(const uint8_t* data, size_t count, int64_t nowNs) {
  if (count == 0) return;
  if (nowNs >= lineFreeNs_) {  // an idle line starts a new burst now
    burstStartNs_ = nowNs;
    burstBytes_ = 0;
  }
  for (size_t i = 0; i < count; ++i) {
    ++burstBytes_;
    lineFreeNs_ = burstStartNs_ + burstBytes_ * 1000000000 / BytesPerSecond;
    queue_.push_back({data[i], lineFreeNs_});
  }
}

std::vector<TimedByte> PacedLine::TakeArrived(int64_t nowNs) {
  std::vector<TimedByte> arrived;
  while (!queue_.empty() && queue_.front().DueNs <= nowNs) {
    arrived.push_back(queue_.front());
    queue_.pop_front();
  }
  return arrived;
}
