// The controller events the command line schedules: the fault report raised
// and cleared, monitoring switched off, the totals dipped for one exchange and
// reset, each at its time on a clock the test moves, as the PC reads them.
#include "BlockRenderer.h"
#include "SimTestSupport.h"
#include "WordMap.h"
#include "store/DailyFigures.h"
#include "tests/support/Occurrences.h"

namespace {

using namespace SimTest;
using Sim::PlantEvent;
using Sim::PlantEventKind;
namespace W = Sim::Words;

// The simulator alone on a manual clock, its blocks rendered as time goes on.
class EventRun {
public:
  explicit EventRun(Sim::SimConfig config) : clock(0), sim(config, clock, &log) {}

  // Moves to this many seconds after the start and lets the simulator act.
  Sim::BlockSet At(double seconds) {
    clock.Advance(static_cast<int64_t>(seconds * 1000) - clock.MonotonicMs());
    sim.Poll();
    return sim.Model().Render(clock.MonotonicMs());
  }

  Sim::ManualClock clock;
  std::ostringstream log;
  Sim::Simulator sim;
};

Sim::SimConfig WithEvents(std::vector<PlantEvent> events, int meters = 6) {
  Sim::SimConfig c = Config();
  c.Plant.Start = Moment(2023, 6, 21, 15, 0);  // light enough for the monitoring to judge
  c.Plant.Meters = meters;
  c.Events = std::move(events);
  return c;
}

struct ReportAt {
  double Seconds;
  int MonitoringOn;
  int FaultReport;
};

void ExpectReports(EventRun& run, std::initializer_list<ReportAt> expected) {
  for (const ReportAt& r : expected) {
    Sim::BlockSet b = run.At(r.Seconds);
    EXPECT_EQ(b.Table(3)[W::MonitoringOn], r.MonitoringOn) << "at " << r.Seconds << " s";
    EXPECT_EQ(b.Table(14)[W::FaultReport], r.FaultReport) << "at " << r.Seconds << " s";
  }
}

TEST(ControllerEventsTest, FaultIsRaisedClearedAndRaisedAgainAtItsTimes) {
  EventRun run(WithEvents(
      {{PlantEventKind::RaiseFault, 10, 5}, {PlantEventKind::ClearFault, 20, 0}, {PlantEventKind::RaiseFault, 30, 1}}));
  ExpectReports(run, {{0, 1, 0}, {9.9, 1, 0}, {10, 1, 5}, {19.9, 1, 5}, {20, 1, 0}, {30, 1, 33}, {300, 1, 33}});
  EXPECT_EQ(Occurrences(run.log.str(), "  Fault raised: meter 5\n"), 1) << run.log.str();
  EXPECT_EQ(Occurrences(run.log.str(), "  Fault cleared\n"), 1);
  EXPECT_EQ(Occurrences(run.log.str(), "  Fault raised: meter 1\n"), 1);
}

TEST(ControllerEventsTest, MonitoringOffSilencesTheReportForGood) {
  EventRun run(WithEvents({{PlantEventKind::RaiseFault, 5, 4}, {PlantEventKind::MonitoringOff, 10, 0}}));
  ExpectReports(run, {{5, 1, 4}, {10, 0, 0}, {600, 0, 0}});
  EXPECT_EQ(Occurrences(run.log.str(), "  Monitoring switched off\n"), 1);
}

// --fault-meter is the plant's own fault: a raised fault covers it, a clear shows it again.
TEST(ControllerEventsTest, ClearReturnsToWhatTheMetersShow) {
  Sim::SimConfig config = WithEvents({{PlantEventKind::RaiseFault, 10, 3}, {PlantEventKind::ClearFault, 20, 0}});
  config.Plant.FaultMeter = 2;
  EventRun run(config);
  ExpectReports(run, {{0, 1, 2}, {10, 1, 3}, {20, 1, 2}});
}

TEST(ControllerEventsTest, EventsDueAtTheStartShowInTheFirstBlocks) {
  EventRun run(WithEvents({{PlantEventKind::RaiseFault, 0, 2}}));
  EXPECT_EQ(run.sim.Model().Render(0).Table(14)[W::FaultReport], 2);
}

// The PC's figures of one data exchange each, with the totals the bridge publishes.
struct Totals {
  int Today;                   // 0.01 kWh
  int64_t Month, Year, Total;  // kWh
};

Totals ExchangeTotals(LinkAgainstSim& run) {
  run.RunToCycleEnd();
  run.RunToRefresh();
  const DailyFigures f = ComputeDailyFigures();
  return {f.todayYield, f.monthYield.value_or(-1), f.yearYield.value_or(-1), f.totalYield.value_or(-1)};
}

TEST(ControllerEventsTest, DipLowersTheTotalsOfOneExchangeOnly) {
  LinkAgainstSim run(WithEvents({{PlantEventKind::DipTotals, 30, 0}}, 3));
  run.RunToRefresh();
  const DailyFigures before = ComputeDailyFigures();
  const uint32_t meterYearBefore = MeterYearYield(1);
  ASSERT_GT(*before.monthYield, 100);
  ASSERT_GT(before.todayYield, 1000);
  const Totals dipped = ExchangeTotals(run);
  EXPECT_NEAR(dipped.Today, before.todayYield / 2, before.todayYield / 10);
  EXPECT_NEAR(dipped.Month, *before.monthYield / 2, *before.monthYield / 10);
  EXPECT_NEAR(dipped.Year, *before.yearYield / 2, *before.yearYield / 10);
  EXPECT_NEAR(dipped.Total, *before.totalYield / 2, *before.totalYield / 10);
  EXPECT_NEAR(MeterYearYield(1), meterYearBefore / 2, meterYearBefore / 10);
  const Totals after = ExchangeTotals(run);
  EXPECT_GE(after.Today, before.todayYield);
  EXPECT_GE(after.Total, *before.totalYield);
  EXPECT_EQ(after.Total, *before.totalYield + (after.Today / 100 - before.todayYield / 100));
  EXPECT_EQ(Occurrences(run.LogText(), "  Totals dipped to half for this exchange\n"), 1) << run.LogText();
}

int64_t TodayWordSum(Sim::BlockSet& b, int meters) {
  int64_t sum = 0;
  for (int k = 1; k <= meters; ++k) sum += b.Table(14)[40 + k];
  return sum;
}

int64_t MonthSlotSum(Sim::BlockSet& b) {
  int64_t sum = 0;
  for (int i = 1; i <= Sim::MonthSlots; ++i) sum += b.MonthRun(i);
  return sum;
}

TEST(ControllerEventsTest, ResetStartsTheTotalsAgainFromZero) {
  Sim::SimConfig config = WithEvents({{PlantEventKind::ResetTotals, 60, 0}}, 3);
  config.Plant.Start = Moment(2023, 6, 21, 11, 0);
  EventRun run(config);
  Sim::BlockSet before = run.At(59);
  ASSERT_GT(TodayWordSum(before, 3), 1000);
  ASSERT_GT(MonthSlotSum(before), 1000);
  ASSERT_GT(before.Table(3)[W::YieldYesterday], 0);

  Sim::BlockSet reset = run.At(61);
  EXPECT_LT(TodayWordSum(reset, 3), 10);  // a few Wh in the second since the reset
  EXPECT_EQ(MonthSlotSum(reset), 0);
  EXPECT_EQ(reset.Table(3)[W::YieldYesterday], 0);
  EXPECT_LT(reset.MonthRun(W::FirstMeterYearYield + 1), 10);
  EXPECT_EQ(Occurrences(run.log.str(), "  Totals reset\n"), 1);

  // They grow again, counting from the reset only: by the afternoon today's
  // yield, from the next day on the month table and the reset day's value.
  Sim::SimConfig noReset = config;
  noReset.Events.clear();
  EventRun whole(noReset);
  Sim::BlockSet afternoon = run.At(4 * 3600);
  const int64_t sinceReset = TodayWordSum(afternoon, 3);
  EXPECT_GT(sinceReset, 1000);
  Sim::BlockSet wholeAfternoon = whole.At(4 * 3600);
  EXPECT_LT(sinceReset, TodayWordSum(wholeAfternoon, 3));
  Sim::BlockSet nextDay = run.At(14 * 3600);
  Sim::BlockSet wholeNextDay = whole.At(14 * 3600);
  const int resetDayValue = nextDay.Table(3)[W::YieldYesterday];  // 0.1 kWh
  EXPECT_GT(resetDayValue, 100);
  EXPECT_LT(resetDayValue, wholeNextDay.Table(3)[W::YieldYesterday]);
  EXPECT_NEAR(MonthSlotSum(nextDay), resetDayValue / 10, 1);  // whole kWh of the reset day alone
}

}  // namespace
