#include "views/live/BalanceSlots.h"

#include <algorithm>

#include "store/PlantStore.h"

namespace {

constexpr int WindowSlots = 30;

void FilterWindow(BalanceSlotTable& table, int first, int last) {
  int32_t highest = 0, before = 0;
  int highestSlot = first;
  for (int n = first; n <= last; ++n) {
    if (table[n] > highest) {
      before = highest;
      highest = table[n];
      highestSlot = n;
    }
  }
  table[highestSlot] = before;
}

}  // namespace

BalanceSlotTable FillBalanceSlots() {
  BalanceSlotTable table{};
  const int32_t dayCap = 7 * static_cast<int32_t>(Block3[Word::Block3::PlantSize]);
  for (int n = 1; n <= BalanceDays; ++n) table[n] = std::min<int32_t>(DayRun(n - 1), dayCap);
  return table;
}

void FilterSpikes(BalanceSlotTable& table) {
  for (int first = 0; first <= BalanceDays; first += WindowSlots)
    FilterWindow(table, first, std::min(first + WindowSlots - 1, BalanceDays));
}
