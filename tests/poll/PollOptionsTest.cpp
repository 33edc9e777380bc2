// zentrixnet-poll's command line.
#include <gtest/gtest.h>

#include "PollOptions.h"

namespace {

std::string ErrorOf(const std::vector<std::string>& args) {
  const ParsedPollOptions parsed = ParsePollOptions(args);
  return parsed.Options ? "(accepted)" : parsed.Error;
}

}  // namespace

TEST(PollOptions, TakesThePortFileAndLimits) {
  const ParsedPollOptions parsed =
      ParsePollOptions({"--port", "COM3", "--sol=plant.sol", "--cycles", "120", "--wait", "5", "--tick", "100"});
  ASSERT_TRUE(parsed.Options) << parsed.Error;
  EXPECT_EQ(parsed.Options->Port, "COM3");
  EXPECT_EQ(parsed.Options->SolPath, "plant.sol");
  EXPECT_EQ(parsed.Options->Cycles, 120);
  EXPECT_EQ(parsed.Options->AnswerLimitSeconds, 5);
  EXPECT_EQ(parsed.Options->TickMs, 100);

  const ParsedPollOptions defaults = ParsePollOptions({"--port", "/dev/ttyUSB0"});
  ASSERT_TRUE(defaults.Options);
  EXPECT_EQ(defaults.Options->Cycles, 0);
  EXPECT_EQ(defaults.Options->AnswerLimitSeconds, 30);
  EXPECT_EQ(defaults.Options->TickMs, 1000);
}

TEST(PollOptions, RefusesWhatItCannotUse) {
  EXPECT_EQ(ErrorOf({}), "--port is required (see --help)");
  EXPECT_EQ(ErrorOf({"--port"}), "--port needs a value");
  const std::string needs = "--port needs COMn (1..255), a device path, tcp://HOST:PORT or rfc2217://HOST:PORT, not ";
  EXPECT_EQ(ErrorOf({"--port="}), needs + "\"\"");
  EXPECT_EQ(ErrorOf({"--port", "COM0"}), needs + "\"COM0\"");
  EXPECT_EQ(ErrorOf({"--port", "rfc2217://plant:99999"}), needs + "\"rfc2217://plant:99999\"");
  EXPECT_EQ(ErrorOf({"--port", "COM1", "--cycles", "0"}), "--cycles needs a whole number from 1 to 1000000, not \"0\"");
  EXPECT_EQ(ErrorOf({"--port", "COM1", "--tick", "5"}), "--tick needs a whole number from 10 to 1000, not \"5\"");
  EXPECT_EQ(ErrorOf({"--port", "COM1", "--wait", "3x"}), "--wait needs a whole number from 1 to 86400, not \"3x\"");
  EXPECT_EQ(ErrorOf({"--port", "COM1", "--fast"}), "unknown option --fast (see --help)");
  EXPECT_EQ(ErrorOf({"COM1"}), "unknown option COM1 (see --help)");
  // Help and version need no port.
  EXPECT_EQ(ErrorOf({"--help"}), "(accepted)");
  EXPECT_EQ(ErrorOf({"--version"}), "(accepted)");
  EXPECT_EQ(ErrorOf({"--list-ports"}), "(accepted)");
}

// A name goes into the output: a newline forged a line, an escape drove the terminal.
TEST(PollOptions, RefusesControlCharactersAndNeverEchoesThemRaw) {
  EXPECT_EQ(ErrorOf({"--port", "/dev/ttyUSB0\nData exchange completed"}), "--port holds a control character");
  EXPECT_EQ(ErrorOf({"--port", "COM1", "--sol", "plant\x1b[2J.sol"}), "--sol holds a control character");
  EXPECT_EQ(ErrorOf({"--port", "COM1", "--cycles", "1\x1b[2J"}),
            "--cycles needs a whole number from 1 to 1000000, not \"1\\x1b[2J\"");
  EXPECT_EQ(ErrorOf({"--port", "COM1", "--\x1b]0;title\x07"}), "unknown option --\\x1b]0;title\\x07 (see --help)");
  EXPECT_EQ(ErrorOf({"--port",
                     "/dev/serial/by-id/S\xC3\xBC"
                     "d"}),
            "(accepted)")
      << "UTF-8 is welcome";
}

TEST(PollOptions, TheTraceIsOffUnlessAFileIsNamed) {
  const ParsedPollOptions traced = ParsePollOptions({"--port", "COM1", "--trace", "frames.trace"});
  ASSERT_TRUE(traced.Options) << traced.Error;
  EXPECT_EQ(traced.Options->TracePath, "frames.trace");
  EXPECT_EQ(ParsePollOptions({"--port", "COM1"}).Options->TracePath, "");
  EXPECT_EQ(ErrorOf({"--port", "COM1", "--trace="}), "--trace needs a file name");
  EXPECT_EQ(ErrorOf({"--port", "COM1", "--trace", "f\nx"}), "--trace holds a control character");
}
