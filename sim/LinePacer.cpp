#include "LinePacer.h"

#include <algorithm>

namespace Sim {

void LinePacer::Enqueue(const std::vector<uint8_t>& bytes, int64_t nowUs) {
  if (bytes.empty()) return;
  // A line that was idle starts sending now, not in the past.
  if (queue_.empty()) nextUs_ = std::max(nextUs_, nowUs);
  queue_.insert(queue_.end(), bytes.begin(), bytes.end());
}

size_t LinePacer::DueCount(int64_t nowUs) const {
  if (queue_.empty()) return 0;
  if (perByte_ == 0) return queue_.size();
  if (nowUs < nextUs_) return 0;
  const auto due = static_cast<size_t>((nowUs - nextUs_) / perByte_ + 1);
  return std::min(due, queue_.size());
}

std::vector<uint8_t> LinePacer::Front(size_t count) const {
  count = std::min(count, queue_.size());
  return std::vector<uint8_t>(queue_.begin(), queue_.begin() + static_cast<long>(count));
}

void LinePacer::Consume(size_t count) {
  count = std::min(count, queue_.size());
  queue_.erase(queue_.begin(), queue_.begin() + static_cast<long>(count));
  nextUs_ += static_cast<int64_t>(count) * perByte_;
}

}  // namespace Sim
