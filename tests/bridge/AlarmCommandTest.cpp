// The alarm command in-process on Qt's event loop, with a real script: events
// that come while one runs wait in the bounded queue, an overflow is one log
// line, and output beyond the bound is counted, not logged.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <fstream>
#include <sstream>

#include "bridge/AlarmCommand.h"
#include "tests/support/Occurrences.h"
#include "tests/support/TempFolder.h"

namespace {

int Lines(const std::filesystem::path& file) {
  std::ifstream in(file);
  int n = 0;
  for (std::string line; std::getline(in, line);) ++n;
  return n;
}

TEST(AlarmCommand, EventsWaitInABoundedQueueAndTheOutputIsCutToItsBound) {
  int argc = 1;
  char name[] = "bridge_tests";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  TempFolder folder{"alarm-command"};
  const std::filesystem::path script = folder / "record";
  std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$PCZN_EVENT\" >> '" << (folder / "runs").string()
                        << "'\nhead -c 3000 /dev/zero | tr '\\0' x\necho\nsleep 0.2\n";
  chmod(script.c_str(), 0700);

  testing::internal::CaptureStderr();
  {
    AlarmCommand command(script.string(), std::chrono::seconds(30), "roof");
    const Alarm::Event event{Alarm::EventKind::LinkLost, Alarm::Clock::now(), ""};
    for (size_t i = 0; i < AlarmCommand::QueueLimit + 4; ++i) command.Take(event);
    QDeadlineTimer deadline(120000);
    while (!command.Idle() && !deadline.hasExpired())
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    EXPECT_TRUE(command.Idle());
  }
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Lines(folder / "runs"), static_cast<int>(1 + AlarmCommand::QueueLimit));
  EXPECT_EQ(Occurrences(log, "events wait already; dropping link-lost"), 1) << "one line per overflow:\n" << log;
  EXPECT_EQ(Occurrences(log, "exit status 0"), static_cast<int>(1 + AlarmCommand::QueueLimit)) << log;
  EXPECT_EQ(Occurrences(log, "953 more bytes of output not logged"), static_cast<int>(1 + AlarmCommand::QueueLimit))
      << log;
  EXPECT_EQ(Occurrences(log, std::string(AlarmCommand::OutputLimit, 'x')),
            static_cast<int>(1 + AlarmCommand::QueueLimit));
}

}  // namespace
