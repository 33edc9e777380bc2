// Fuzz target: the plant data file reader. Arbitrary bytes are read into a
// store that holds a known pattern, once from memory and once through the file
// calls; the store must then hold the file's bytes where they belong and keep
// its old content beyond a short file, and writing it out must give the same
// bytes (for a whole 3220-byte file: the file itself). Then the scales are
// recomputed and the store accessors that the views and the settings call with
// indexes taken from the data must read inside the store.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "store/PlantFile.h"
#include "store/PlantStore.h"

static_assert(std::endian::native == std::endian::little,
              "the file's words are little-endian, so here the file is the store's memory");

namespace {

using Bytes = std::vector<uint8_t>;

// The store's memory in file order: group B, group A, group C.
Bytes MemoryInFileOrder() {
  Bytes bytes;
  const auto append = [&bytes](const void* group, size_t size) {
    const auto* p = static_cast<const uint8_t*>(group);
    bytes.insert(bytes.end(), p, p + size);
  };
  append(&GroupB, sizeof GroupB);
  append(&GroupA, sizeof GroupA);
  append(&GroupC, sizeof GroupC);
  return bytes;
}

void SetMemoryInFileOrder(const Bytes& bytes) {
  std::memcpy(&GroupB, bytes.data(), sizeof GroupB);
  std::memcpy(&GroupA, bytes.data() + sizeof GroupB, sizeof GroupA);
  std::memcpy(&GroupC, bytes.data() + sizeof GroupB + sizeof GroupA, sizeof GroupC);
}

// Store content before the file is read: no two nearby offsets alike, so a
// byte taken to the wrong place shows.
const Bytes& Pattern() {
  static const Bytes pattern = [] {
    Bytes p(PlantFileSize);
    for (size_t i = 0; i < p.size(); ++i) p[i] = static_cast<uint8_t>(i * 73 + (i >> 8) * 151 + 11);
    return p;
  }();
  return pattern;
}

// What the store must hold after reading a file of these bytes over the pattern.
Bytes ExpectedAfterReading(const uint8_t* data, size_t size) {
  Bytes expected = Pattern();
  std::copy(data, data + std::min(size, PlantFileSize), expected.begin());
  return expected;
}

// A file of the given bytes that OpenPlantFile can open by name.
class MemoryFile {
public:
  MemoryFile(const uint8_t* data, size_t size) : fd_(memfd_create("plant.sol", MFD_CLOEXEC)) {
    FUZZ_CHECK(fd_ >= 0, "memfd_create failed");
    for (size_t done = 0; done < size;) {
      const ssize_t n = ::write(fd_, data + done, size - done);
      FUZZ_CHECK(n > 0, "writing the memory file failed");
      done += static_cast<size_t>(n);
    }
  }
  ~MemoryFile() { ::close(fd_); }
  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
  int fd_;
};

// Words of a group by their index in memory, 0 outside the group.
template <class Group>
uint16_t RawWord(const Group& group, long index) {
  if (index < 0 || index >= static_cast<long>(sizeof(Group) / 2)) return 0;
  uint16_t w;
  std::memcpy(&w, reinterpret_cast<const uint8_t*>(&group) + 2 * index, 2);
  return w;
}

uint16_t InRun(long index, long length, uint16_t word) { return index >= 0 && index < length ? word : 0; }

void CheckScales() {
  FUZZ_CHECK(DayChartMax > 0 && MonthChartMax > 0 && YearChartMax > 0 && BalanceChartMax > 0, "a chart scale is 0");
  FUZZ_CHECK(YearChartMax >= MonthChartMax, "the yearly scale is below the monthly one (wrapped around)");
  FUZZ_CHECK(PowerScale > 0.0f && PowerScale < 1e9f, "PowerScale not a positive plant power");
}

// The reads whose indexes come from the data, as the views and the settings
// windows make them: each gives the word at that place of its run, or 0
// outside the run.
void CheckDataIndexedReads() {
  const int month = ControllerMonth();
  FUZZ_CHECK(month >= 0 && month <= 12, "ControllerMonth outside 0..12");
  const int counter = MonthCounter();
  FUZZ_CHECK(counter >= 0 && counter <= LastMonthSlot, "MonthCounter outside the month slots");
  const int today = TodayDayOfYear();
  FUZZ_CHECK(today >= 0 && (month != 0 || today == 0), "TodayDayOfYear without a month of the year");

  for (long d : {-25L, -24L, -13L, -12L, -1L, 0L, 1L, 12L}) {
    const long i = long{Block2[24]} + d;
    FUZZ_CHECK(MonthRun(static_cast<int>(i)) == InRun(i, MonthRunLength, RawWord(GroupC, i)),
               "MonthRun at an index from Block2[24] read outside its run");
  }
  for (long k : {0L, 1L, 2L, 3L, 366L}) {
    const long n = long{today} - k;
    FUZZ_CHECK(DayRun(static_cast<int>(n)) == InRun(n, DayRunLength, RawWord(GroupB, 400 + n)),
               "DayRun at an index from the controller's date read outside its run");
  }
  for (long j : {-1L, 0L, 55L, 56L, 167L, 168L}) {
    const long i = RingSlotSamples * long{Block3[24]} + j;
    FUZZ_CHECK(PowerRing(static_cast<int>(i)) == RawWord(GroupB, 62 + i), "PowerRing read outside group B");
    FUZZ_CHECK(IrradianceRing(static_cast<int>(i)) == RawWord(GroupB, 230 + i), "IrradianceRing read outside group B");
  }
  const int meters = Block3[37];
  FUZZ_CHECK(MeterPower(meters) == 0 || (meters >= 1 && meters <= 48), "MeterPower beyond meter 48");
  FUZZ_CHECK(MeterYearYield(meters) == 0 || (meters >= 1 && meters <= 48), "MeterYearYield beyond meter 48");
  FUZZ_CHECK(ComputeTodayYield() >= 0, "TodayYield negative");

  FUZZ_CHECK(std::memchr(FormatDate(), 0, TextBufferSize) != nullptr, "FormatDate overran TextBuffer");
  FUZZ_CHECK(std::memchr(FormatTime(), 0, TextBufferSize) != nullptr, "FormatTime overran TextBuffer");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Bytes expected = ExpectedAfterReading(data, size);

  SetMemoryInFileOrder(Pattern());
  const size_t taken = LoadPlantFileBytes(Bytes(data, data + size));
  FUZZ_CHECK(taken == std::min(size, PlantFileSize), "LoadPlantFileBytes took a wrong number of bytes");
  FUZZ_CHECK(MemoryInFileOrder() == expected, "the store does not hold the file over its old content");
  FUZZ_CHECK(PlantFileBytes() == expected, "the file written from the store differs from the file read");

  SetMemoryInFileOrder(Pattern());
  OpenPlantFile(MemoryFile(data, size).Path());
  FUZZ_CHECK(MemoryInFileOrder() == expected, "OpenPlantFile does not give the store LoadPlantFileBytes gives");
  CheckScales();
  CheckDataIndexedReads();
  return 0;
}
