// The plant's state and its events: each change told once, a flickering fault
// told once, the link lost by the program's rule and back with the next exchange.
#include "alarm/PlantState.h"

#include <gtest/gtest.h>

#include "store/PlantStore.h"
#include "store/StoreWords.h"

namespace {

using Alarm::EventKind;
using Alarm::PlantState;

const Alarm::Clock::time_point T0 = Alarm::Clock::from_time_t(1781000000);

Alarm::Report Watched(uint16_t fault) { return Alarm::Report{true, fault}; }
const Alarm::Report Unwatched{false, 0};

std::vector<EventKind> Kinds(const std::vector<Alarm::Event>& events) {
  std::vector<EventKind> kinds;
  for (const auto& e : events) kinds.push_back(e.Kind);
  return kinds;
}

// Runs exchanges with these fault codes and returns every event they caused.
std::vector<Alarm::Event> Exchanges(PlantState& state, std::initializer_list<uint16_t> faults) {
  std::vector<Alarm::Event> all;
  for (uint16_t fault : faults) {
    auto events = state.ExchangeCompleted(Watched(fault), T0);
    all.insert(all.end(), events.begin(), events.end());
  }
  return all;
}

// Ticks with the link's count of unanswered exchanges; every event they caused.
std::vector<Alarm::Event> Ticks(PlantState& state, int count, int unanswered) {
  std::vector<Alarm::Event> all;
  for (int i = 0; i < count; ++i) {
    auto events = state.Tick(unanswered, T0);
    all.insert(all.end(), events.begin(), events.end());
  }
  return all;
}

TEST(PlantState, AQuietPlantTellsNothingAndKnowsItsLastExchange) {
  PlantState state;
  EXPECT_EQ(state.LinkState(), Alarm::Link::Unknown);
  EXPECT_FALSE(state.Monitoring().has_value());
  EXPECT_TRUE(Exchanges(state, {0, 0, 0}).empty());
  EXPECT_EQ(state.LinkState(), Alarm::Link::Up);
  EXPECT_EQ(state.Monitoring(), true);
  EXPECT_FALSE(state.Fault().has_value());
  ASSERT_TRUE(state.LastExchange().has_value());
  EXPECT_EQ(*state.LastExchange(), T0);
}

TEST(PlantState, AFaultIsToldOnceInTheControllersWordsAndItsEndOnce) {
  PlantState state;
  const auto started = Exchanges(state, {0, 5, 5, 5});
  ASSERT_EQ(Kinds(started), std::vector{EventKind::FaultStarted});
  EXPECT_EQ(started[0].FaultText, "Zähler 1 oder Zähler 5");
  EXPECT_EQ(state.Fault(), "Zähler 1 oder Zähler 5");
  // Two clear exchanges are not yet its end; the third is.
  EXPECT_TRUE(Exchanges(state, {0, 0}).empty());
  const auto ended = Exchanges(state, {0, 0, 0});
  ASSERT_EQ(Kinds(ended), std::vector{EventKind::FaultEnded});
  EXPECT_EQ(ended[0].FaultText, "Zähler 1 oder Zähler 5");
  EXPECT_FALSE(state.Fault().has_value());
}

TEST(PlantState, AFlickeringFaultIsOneAlarm) {
  PlantState state;
  const auto events = Exchanges(state, {33, 0, 33, 0, 0, 33, 0, 33});
  ASSERT_EQ(Kinds(events), std::vector{EventKind::FaultStarted});
  EXPECT_EQ(events[0].FaultText, "Zähler 1");
  EXPECT_EQ(Kinds(Exchanges(state, {0, 0, 0})), std::vector{EventKind::FaultEnded});
}

TEST(PlantState, AnotherMeterAtFaultIsToldAsANewFault) {
  PlantState state;
  Exchanges(state, {5});
  const auto events = Exchanges(state, {7, 7});
  ASSERT_EQ(Kinds(events), std::vector{EventKind::FaultStarted});
  EXPECT_EQ(events[0].FaultText, "Zähler 1 oder Zähler 7");
}

TEST(PlantState, MonitoringSwitchedOffAndOnIsToldAndForgetsTheFault) {
  PlantState state;
  Exchanges(state, {5});
  EXPECT_EQ(Kinds(state.ExchangeCompleted(Unwatched, T0)), std::vector{EventKind::MonitoringOff});
  EXPECT_EQ(state.Monitoring(), false);
  EXPECT_FALSE(state.Fault().has_value());
  EXPECT_TRUE(state.ExchangeCompleted(Unwatched, T0).empty());
  // Back on with the fault still there: monitoring on, and the fault anew.
  EXPECT_EQ(Kinds(state.ExchangeCompleted(Watched(5), T0)),
            (std::vector{EventKind::MonitoringOn, EventKind::FaultStarted}));
}

TEST(PlantState, AControllerThatStopsAnsweringIsLostAfterThreeUnansweredExchangesOnce) {
  PlantState state;
  Exchanges(state, {0});
  EXPECT_TRUE(Ticks(state, 60, 1).empty());
  EXPECT_TRUE(Ticks(state, 60, 2).empty());
  EXPECT_EQ(Kinds(Ticks(state, 1, 3)), std::vector{EventKind::LinkLost});
  EXPECT_TRUE(Ticks(state, 500, 4).empty());
  EXPECT_EQ(state.LinkState(), Alarm::Link::Lost);
  EXPECT_EQ(Kinds(Exchanges(state, {0})), std::vector{EventKind::LinkBack});
  EXPECT_TRUE(Exchanges(state, {0}).empty());
}

TEST(PlantState, AControllerThatNeverAnswersIsLostAfterThreeCyclesOfTicks) {
  PlantState state;
  // The link's count starts at 3 before any exchange; only the ticks count then.
  EXPECT_TRUE(Ticks(state, PlantState::LostAfterTicks, 3).empty());
  EXPECT_EQ(Kinds(Ticks(state, 1, 3)), std::vector{EventKind::LinkLost});
  // Also after an exchange, when connection requests go unanswered (the count stays 0).
  PlantState answered;
  Exchanges(answered, {0});
  EXPECT_TRUE(Ticks(answered, PlantState::LostAfterTicks, 0).empty());
  EXPECT_EQ(Kinds(Ticks(answered, 1, 0)), std::vector{EventKind::LinkLost});
}

// The bridge opens a silent port afresh after about a cycle and a half; the
// link then starts its count at 3 again, which is no third unanswered exchange.
TEST(PlantState, APortOpenedAgainCountsItsTicksNotTheLinksStartValue) {
  PlantState state;
  Exchanges(state, {0});
  EXPECT_TRUE(Ticks(state, 75, 1).empty());
  state.PortOpened();
  EXPECT_TRUE(Ticks(state, PlantState::LostAfterTicks - 75, 3).empty());
  EXPECT_EQ(state.LinkState(), Alarm::Link::Up);
  EXPECT_EQ(Kinds(Ticks(state, 1, 3)), std::vector{EventKind::LinkLost});
  // After the next exchange the count tells again.
  Exchanges(state, {0});
  EXPECT_EQ(Kinds(Ticks(state, 1, 3)), std::vector{EventKind::LinkLost});
}

TEST(PlantState, ALostPortIsALostLinkToldOnceWithTheFaultKept) {
  PlantState state;
  Exchanges(state, {5});
  EXPECT_EQ(Kinds(state.PortLost(T0)), std::vector{EventKind::LinkLost});
  EXPECT_TRUE(state.PortLost(T0).empty());
  EXPECT_TRUE(Ticks(state, 300, 5).empty());
  EXPECT_EQ(state.Fault(), "Zähler 1 oder Zähler 5");
  // Back with the same fault: the link is back, the fault was told already.
  EXPECT_EQ(Kinds(Exchanges(state, {5})), std::vector{EventKind::LinkBack});
}

TEST(PlantState, TheReportIsReadFromTheStoresWords) {
  Block3[Word::Block3::MonitoringOn] = 1;
  Block14[Word::Block14::FaultReport] = 12;
  const Alarm::Report report = Alarm::ReportOfStore();
  EXPECT_TRUE(report.Monitoring);
  EXPECT_EQ(report.FaultCode, 12);
  Block3[Word::Block3::MonitoringOn] = 0;
  EXPECT_FALSE(Alarm::ReportOfStore().Monitoring);
  EXPECT_EQ(Alarm::FaultTextFor(0), "keine Störung!");
  EXPECT_EQ(Alarm::MonitoringOffText(), "Überpüfung = AUS!");
}

}  // namespace
