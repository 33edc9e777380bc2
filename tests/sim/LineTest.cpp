#include <algorithm>
#include <tuple>

#include "LinePacer.h"
#include "Options.h"
#include "SimTestSupport.h"

namespace {

using namespace SimTest;
using Sim::LinePacer;

TEST(LinePacerTest, HandsOutOneByteEveryTenBitTimes) {
  LinePacer pacer(LinePacer::At2400Baud);
  EXPECT_EQ(LinePacer::At2400Baud, 4166);
  pacer.Enqueue(Bytes(205, 0x55), 1000000);
  EXPECT_EQ(pacer.DueCount(999999), 0u);
  EXPECT_EQ(pacer.DueCount(1000000), 1u);
  EXPECT_EQ(pacer.DueCount(1000000 + 100 * 4166), 101u);
  pacer.Consume(60);  // the line took only 60 of them
  EXPECT_EQ(pacer.DueCount(1000000 + 100 * 4166), 41u);
  EXPECT_EQ(pacer.DueCount(1000000 + 204 * 4166), 145u);
  pacer.Consume(145);
  EXPECT_TRUE(pacer.Empty());
  // After a quiet spell the next byte goes out at once, not in a burst of catch-up.
  pacer.Enqueue(Bytes(10, 1), 9000000);
  EXPECT_EQ(pacer.DueCount(9000000), 1u);

  LinePacer fast(0);
  fast.Enqueue(Bytes(205, 0), 0);
  EXPECT_EQ(fast.DueCount(0), 205u);
}

// Both directions at 2400 baud on a simulated clock: the whole exchange must be
// over before the PC's refresh 17 s after the exchange starts.
TEST(LineRateTest, WholeExchangeFitsBeforeTheRefresh) {
  Sim::ManualClock clock(0);
  Sim::Simulator sim(Config(), clock);
  ClearPlantStore();
  MemoryPort port;
  SetLinkPort(&port);
  InitLink();
  port.TakeWritten();
  LinePacer toSim(LinePacer::At2400Baud), toPc(LinePacer::At2400Baud);
  NoAnswerCount = 1;
  SendRequest(16);
  int64_t us = 0;
  for (; NoAnswerCount != 0 && us < 30000000; us += 1000, clock.Advance(1)) {
    toSim.Enqueue(port.TakeWritten(), us);
    if (const size_t n = toSim.DueCount(us)) {
      sim.Receive(toSim.Front(n));
      toSim.Consume(n);
    }
    toPc.Enqueue(sim.TakeDue(), us);
    if (const size_t n = toPc.DueCount(us)) {
      port.Feed(toPc.Front(n));
      toPc.Consume(n);
      GatherRxBytes();
    }
  }
  SetLinkPort(nullptr);
  EXPECT_EQ(NoAnswerCount, 0);
  const double seconds = static_cast<double>(us) / 1e6;
  RecordProperty("exchange_ms", static_cast<int>(us / 1000));
  std::printf("a whole exchange at 2400 baud takes %.2f s\n", seconds);
  EXPECT_LT(seconds, 17.0);
  EXPECT_GT(seconds, 12.0);  // 3088 bytes from the controller alone take 12.9 s
}

const Sim::ClockSeconds HostNow = Moment(2025, 3, 10, 8, 30);

Sim::ProgramOptions Parsed(const std::vector<std::string>& args) {
  const Sim::ParsedOptions p = Sim::ParseOptions(args, HostNow);
  EXPECT_TRUE(p.Options.has_value()) << p.Error;
  return p.Options.value_or(Sim::ProgramOptions{});
}

std::string ErrorOf(const std::vector<std::string>& args) {
  const Sim::ParsedOptions p = Sim::ParseOptions(args, HostNow);
  EXPECT_FALSE(p.Options.has_value());
  return p.Error;
}

TEST(OptionsTest, DefaultsStartNowWithAPlantCommissionedThreeYearsAgo) {
  const Sim::ProgramOptions o = Parsed({});
  EXPECT_EQ(o.Sim.Plant.Start, HostNow);
  EXPECT_EQ(o.Sim.Plant.Commissioning, std::make_pair(2022, 4));
  EXPECT_EQ(o.Sim.Plant.Meters, 3);
  EXPECT_EQ(o.Sim.Plant.PlantSize, 304);
  EXPECT_FALSE(o.Fast);
  EXPECT_FALSE(o.Com.has_value());
}

TEST(OptionsTest, ReadsValuesAndFaults) {
  const Sim::ProgramOptions o = Parsed({"--com",
                                        "3",
                                        "--fast",
                                        "--seed=9",
                                        "--start",
                                        "2023-06-21 13:00",
                                        "--speed",
                                        "60",
                                        "--meters",
                                        "12",
                                        "--plant-size",
                                        "500",
                                        "--controller-type",
                                        "255",
                                        "--bad-checksum",
                                        "5:3",
                                        "--junk",
                                        "any:all",
                                        "--truncate",
                                        "7",
                                        "--no-answer",
                                        "all",
                                        "--storm=25",
                                        "--storm-kinds",
                                        "checksum,junk",
                                        "--hangup-after",
                                        "1.5",
                                        "--log",
                                        "x.log"});
  EXPECT_EQ(o.Com, 3);
  EXPECT_TRUE(o.Fast);
  EXPECT_EQ(o.Sim.Plant.Seed, 9u);
  EXPECT_EQ(o.Sim.Plant.Start, Moment(2023, 6, 21, 13, 0));
  EXPECT_EQ(o.Sim.Plant.Speed, 60);
  EXPECT_EQ(o.Sim.Plant.ControllerType, 255);
  ASSERT_EQ(o.Sim.Faults.Rules.size(), 3u);
  EXPECT_EQ(o.Sim.Faults.Rules[0].Type, 5);
  EXPECT_EQ(o.Sim.Faults.Rules[0].Count, 3);
  EXPECT_EQ(o.Sim.Faults.Rules[1].Type, Sim::AnyType);
  EXPECT_EQ(o.Sim.Faults.Rules[1].Count, Sim::EveryTime);
  EXPECT_EQ(o.Sim.Faults.Rules[2].Count, 1);
  EXPECT_EQ(o.Sim.Faults.NoAnswer, Sim::EveryTime);
  EXPECT_EQ(o.Sim.Faults.StormPercent, 25);
  EXPECT_EQ(o.Sim.Faults.StormKinds.size(), 2u);
  EXPECT_EQ(o.Sim.Faults.HangUpAfterSeconds, 1.5);
  EXPECT_EQ(o.LogPath, "x.log");
}

TEST(OptionsTest, RefusesWhatItCannotDoWithAReason) {
  EXPECT_NE(ErrorOf({"--colour"}).find("unknown option"), std::string::npos);
  EXPECT_NE(ErrorOf({"--meters"}).find("needs a value"), std::string::npos);
  EXPECT_NE(ErrorOf({"--meters", "49"}).find("1 to 48"), std::string::npos);
  EXPECT_NE(ErrorOf({"--meters", "4x"}).find("1 to 48"), std::string::npos);
  EXPECT_NE(ErrorOf({"--start", "2023-02-30 10:00"}).find("YYYY-MM-DD HH:MM"), std::string::npos);
  EXPECT_NE(ErrorOf({"--com", "2", "--device", "/dev/ttyS0"}).find("exclude"), std::string::npos);
  EXPECT_NE(ErrorOf({"--bad-checksum", "21"}).find("TYPE"), std::string::npos);
  EXPECT_NE(ErrorOf({"--junk", "3:0"}).find("COUNT"), std::string::npos);
  EXPECT_NE(ErrorOf({"--storm-kinds", "checksum,smoke"}).find("smoke"), std::string::npos);
  EXPECT_NE(ErrorOf({"--commissioning", "2025-05"}).find("after the start"), std::string::npos);
  EXPECT_NE(ErrorOf({"--commissioning", "2011-01"}).find("13 years"), std::string::npos);
  EXPECT_NE(ErrorOf({"--meters", "2", "--fault-meter", "3"}).find("--fault-meter"), std::string::npos);
}

TEST(OptionsTest, ReadsControllerEventsInTheirOrder) {
  const Sim::ProgramOptions o =
      Parsed({"--meters", "6", "--raise-fault", "5@10", "--clear-fault", "20.5", "--raise-fault=1@30",
              "--monitoring-off", "40", "--dip-total-once", "15", "--reset-totals", "3", "--dip-total-once", "50"});
  using K = Sim::PlantEventKind;
  const std::vector<std::tuple<K, double, int>> expected = {
      {K::RaiseFault, 10, 5}, {K::ClearFault, 20.5, 0}, {K::RaiseFault, 30, 1}, {K::MonitoringOff, 40, 0},
      {K::DipTotals, 15, 0},  {K::ResetTotals, 3, 0},   {K::DipTotals, 50, 0}};
  ASSERT_EQ(o.Sim.Events.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const Sim::PlantEvent& e = o.Sim.Events[i];
    EXPECT_EQ(std::make_tuple(e.Kind, e.AtSeconds, e.Meter), expected[i]) << "event " << i;
  }
}

struct RefusedEvents {
  const char* Name;
  std::vector<std::string> Args;
  const char* Reason;
};

class RefusedEventsTest : public ::testing::TestWithParam<RefusedEvents> {};

TEST_P(RefusedEventsTest, SaysWhy) {
  const std::string error = ErrorOf(GetParam().Args);
  EXPECT_NE(error.find(GetParam().Reason), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Options, RefusedEventsTest,
    ::testing::Values(
        RefusedEvents{"MeterNotANumber", {"--raise-fault", "x@10"}, "METER needs a whole number from 1 to 48"},
        RefusedEvents{"MeterZero", {"--raise-fault", "0@10"}, "METER needs a whole number from 1 to 48"},
        RefusedEvents{"NoTime", {"--raise-fault", "5"}, "METER@SECONDS"},
        RefusedEvents{"BadTime", {"--raise-fault", "2@soon"}, "SECONDS needs a number"},
        RefusedEvents{"MeterBeyondMeters", {"--raise-fault", "4@10"}, "meter 4 beyond --meters"},
        RefusedEvents{"MeterThatReadsAsMeterOne", {"--meters", "40", "--raise-fault", "33@1"}, "meter 33"},
        RefusedEvents{"ClearBeforeRaise", {"--raise-fault", "2@10", "--clear-fault", "5"}, "must rise"},
        RefusedEvents{"SameTime", {"--raise-fault", "2@10", "--clear-fault", "10"}, "must rise"},
        RefusedEvents{"ClearWithoutRaise", {"--clear-fault", "5"}, "needs a --raise-fault before it"},
        RefusedEvents{"ClearTwice",
                      {"--raise-fault", "2@1", "--clear-fault", "2", "--clear-fault", "3"},
                      "needs a --raise-fault before it"},
        RefusedEvents{"MonitoringOffTwice", {"--monitoring-off", "1", "--monitoring-off", "2"}, "more than once"},
        RefusedEvents{"NegativeTime", {"--dip-total-once", "-1"}, "from 0"},
        RefusedEvents{"ResetWithoutTime", {"--reset-totals"}, "needs a value"}),
    [](const ::testing::TestParamInfo<RefusedEvents>& info) { return info.param.Name; });

TEST(OptionsTest, HelpDocumentsEveryOption) {
  const std::string help = Sim::HelpText();
  for (const std::string& name : Sim::OptionNames()) EXPECT_NE(help.find(" " + name + " "), std::string::npos) << name;
  EXPECT_GE(Sim::OptionNames().size(), 26u);
}

}  // namespace
