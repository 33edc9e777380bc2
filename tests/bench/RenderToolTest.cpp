// The parts of render-views: the plants it draws and the timing of the views.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "store/PlantStore.h"
#include "tools/render/DemoPlant.h"
#include "tools/render/DrawTiming.h"
#include "tools/render/SimPlant.h"
#include "tools/render/ViewWindows.h"
#include "views/Picture.h"

namespace {

TEST(DemoPlant, MonthsDaysAndMetersLieWhereTheViewsReadThem) {
  FillDemoPlant(12);
  // 2 July 2024, commissioned April 2019: month 7 of plant year 5.
  EXPECT_EQ(MonthCounter(), 24 + 12 * 5 + 7);
  EXPECT_GT(MonthRun(MonthCounter()), 0);
  EXPECT_EQ(MonthRun(24 + 3), 0);  // March 2019, before commissioning
  EXPECT_GT(MonthRun(24 + 4), 0);
  EXPECT_EQ(MonthRun(MonthCounter() + 1), 0);
  EXPECT_EQ(TodayDayOfYear(), 184);
  EXPECT_GT(DayRun(184 - 2), 0);  // yesterday
  EXPECT_EQ(DayRun(184 - 1), 0);  // today is not in the run yet
  EXPECT_GT(MeterYearYield(12), 0u);
  EXPECT_EQ(MeterYearYield(13), 0u);
  EXPECT_GT(MeterTodayYield(12), 0);
  EXPECT_EQ(MeterTodayYield(13), 0);
  EXPECT_LE(Block3[24], 2);
}

TEST(SimPlant, TheStoreHoldsTheSimulatorsMoment) {
  SimPlantMoment moment;
  moment.Meters = 5;
  FillFromSimulator(moment);
  EXPECT_EQ(Block2[13], 2);
  EXPECT_EQ(Block2[14], 7);
  EXPECT_EQ(Block2[15], 124);
  EXPECT_EQ(Block2[16], 14);
  EXPECT_EQ(Block2[17], 52);
  EXPECT_EQ(Block3[37], 5);
  EXPECT_NE(MonthCounter(), 0);
}

TEST(DrawTiming, TimesEveryViewAndPassesAMissingPictureOn) {
  ViewWindows windows;
  FillDemoPlant(3);
  ASSERT_EQ(windows.Views().size(), 7u);
  for (const View& view : windows.Views()) {
    const DrawTimes t = TimeView(view, 3);
    EXPECT_EQ(t.Routine.Count, 3) << view.Routine;
    EXPECT_EQ(t.Total.Count, 3) << view.Routine;
    EXPECT_GE(t.Total.Median, t.Routine.Median) << view.Routine;
    EXPECT_EQ(t.Reload.Count, view.Image != nullptr ? 3 : 0) << view.Routine;
  }

  const QString pictures = QDir::currentPath();
  QTemporaryDir empty;
  ASSERT_TRUE(QDir::setCurrent(empty.path()));
  for (const View& view : windows.Views()) {
    if (view.Image == nullptr) continue;  // the list has no picture
    EXPECT_THROW(TimeView(view, 1), EPictureError) << view.Routine;
  }
  QDir::setCurrent(pictures);
}

}  // namespace
