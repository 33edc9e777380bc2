// The current irradiance that the bridge publishes beside the page's figures:
// the newest of today's samples by the controller's clock.
#include "LinkTestSupport.h"
#include "store/DailyFigures.h"

namespace {

void SetClock(int hour, int minute) {
  Block2[16] = static_cast<uint16_t>(hour);
  Block2[17] = static_cast<uint16_t>(minute);
}

TEST(CurrentIrradiance, IsTheNewestSampleOfTodaysSlot) {
  ClearPlantStore();
  for (int j = 0; j < RingLength; ++j) SetGroupBWord(230 + j, static_cast<uint16_t>(1000 + j));  // IrradianceRing[j]
  Block3[24] = 2;                                                                                // today is slot 2
  SetClock(6, 0);
  EXPECT_FALSE(CurrentIrradiance()) << "no sample before 6:00 has begun";
  SetClock(6, 1);
  EXPECT_EQ(CurrentIrradiance(), 1000u + 2 * RingSlotSamples) << "the quarter hour from 6:00";
  SetClock(12, 50);
  EXPECT_EQ(CurrentIrradiance(), 1000u + 2 * RingSlotSamples + 27) << "the quarter hour from 12:45";
  SetClock(23, 10);
  EXPECT_EQ(CurrentIrradiance(), 1000u + 2 * RingSlotSamples + 55) << "after 20:00 the last one, from 19:45";
  Block3[24] = 7;
  SetClock(6, 1);
  EXPECT_EQ(CurrentIrradiance(), 1000u) << "a slot the rings do not have reads as slot 0";
  EXPECT_EQ(Block3[24], 7) << "and the store keeps it";
}

}  // namespace
