// Writing a port's properties as a form file holds them, and reading them back.
#include <gtest/gtest.h>

#include "SerialTestSupport.h"
#include "serial/VaStream.h"

TEST(Streaming, TheApplicationsPortRoundTrips) {
  TVaComm comm;
  comm.SetName("VaComm1");
  ConfigureLikeApplication(comm);
  comm.SetDeviceName("\\\\.\\COM%d 'quoted'\t");
  comm.Buffers().SetWriteTimeout(250);
  comm.SetWritePriority(tpLower);
  const std::string text = ComponentToText(comm);

  // Stored: what differs from its default and what has no default; nothing else.
  EXPECT_NE(text.find("  Baudrate = br2400\n"), std::string::npos);
  EXPECT_NE(text.find("  EventChars.EventChar = #9\n"), std::string::npos);
  EXPECT_NE(text.find("  EventChars.EofChar = #9\n"), std::string::npos);
  EXPECT_NE(text.find("  FlowControl.OutCtsFlow = False\n"), std::string::npos);
  EXPECT_NE(text.find("  FlowControl.ControlRts = rtsDisabled\n"), std::string::npos);
  EXPECT_NE(text.find("  MonitorEvents = [ceRxChar, ceRx80Full]\n"), std::string::npos);
  EXPECT_NE(text.find("  DeviceName = '\\\\.\\COM%d ''quoted'''#9\n"), std::string::npos);
  EXPECT_NE(text.find("  Version = '1.3.8.0'\n"), std::string::npos);
  EXPECT_EQ(text.find("Parity"), std::string::npos);
  EXPECT_EQ(text.find("XonChar"), std::string::npos);
  EXPECT_EQ(text.find("ReadSize"), std::string::npos);

  TVaComm copy;
  ComponentFromText(text, copy);
  EXPECT_EQ(copy.Name(), "VaComm1");
  EXPECT_FALSE(copy.Loading());
  EXPECT_EQ(ComponentToText(copy), text);
  EXPECT_EQ(copy.DeviceName(), comm.DeviceName());
  EXPECT_EQ(copy.EventChars().EventChar(), 9);
  EXPECT_EQ(copy.MonitorEvents(), (TVaCommEvents{ceRxChar, ceRx80Full}));
  EXPECT_EQ(copy.Buffers().WriteTimeout(), 250);
  EXPECT_EQ(copy.WritePriority(), tpLower);
}

TEST(Streaming, VersionIsIgnoredAndAutoOpenOpensAfterLoading) {
  PseudoTerminal pty;
  TVaComm comm;
  ComponentFromText(
      "object Port: TVaComm\n  AutoOpen = True\n  DeviceName = '" + pty.SlavePath() + "'\n  Version = '9.9.9.9'\nend\n",
      comm);
  EXPECT_EQ(comm.Version(), "1.3.8.0");
  EXPECT_TRUE(comm.Active());
}

TEST(Streaming, BadInputRaisesAReadableError) {
  const auto errorOf = [](const std::string& text) {
    TVaComm comm;
    comm.SetName("P");
    try {
      ComponentFromText(text, comm);
    } catch (const std::exception& error) {
      EXPECT_FALSE(comm.Loading());
      EXPECT_FALSE(comm.Active());
      return std::string(error.what());
    }
    return std::string("(no error)");
  };
  EXPECT_EQ(errorOf("Colour = clRed\n"), "Error reading P.Colour: Property Colour does not exist");
  EXPECT_EQ(errorOf("Baudrate = br2401\n"), "Error reading P.Baudrate: Invalid property value");
  EXPECT_EQ(errorOf("PortNum = -3\n"), "Error reading P.PortNum: Invalid property value");
  EXPECT_EQ(errorOf("PortNum = 99999999999\n"), "Error reading P.PortNum: Invalid property value");
  EXPECT_EQ(errorOf("DeviceName = 'open\n"), "Error reading P.DeviceName: Invalid property value");
  EXPECT_EQ(errorOf("EventChars.EventChar = #300\n"), "Error reading P.EventChars.EventChar: Invalid property value");
  EXPECT_EQ(errorOf("MonitorEvents = [ceRxChar, ceNothing]\n"),
            "Error reading P.MonitorEvents: Invalid property value");
  EXPECT_EQ(errorOf("Buffers.ReadSize = -1\n"), "Error reading P.Buffers.ReadSize: Invalid property value");
  EXPECT_EQ(errorOf("just words\n"), "Error reading P.just words: Invalid stream format");
}
