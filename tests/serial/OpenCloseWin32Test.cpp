// Opening ports on Windows: COM names and the errors of a failed open.
#include <gtest/gtest.h>

#include "SerialTestSupport.h"
#include "serial/internal/Platform.h"

TEST(OpenClose, ComNamesOpenAsDeviceNames) {
  EXPECT_EQ(Platform::ResolveDevicePath("COM3"), "\\\\.\\COM3");
  EXPECT_EQ(Platform::ResolveDevicePath("\\\\.\\com12"), "\\\\.\\COM12");
  EXPECT_EQ(Platform::ResolveDevicePath("\\\\.\\\\\\.\\COM5"), "\\\\.\\COM5");
  EXPECT_EQ(Platform::ResolveDevicePath("\\\\.\\CNCA0"), "\\\\.\\CNCA0");
  EXPECT_EQ(Platform::ResolveDevicePath("COM"), "COM");
  TVaComm comm;
  comm.SetPortNum(3);
  EXPECT_EQ(comm.GetDevicePath(), "\\\\.\\COM3");
}

TEST(OpenClose, AComNumberLeadingNowhereIsNotFound) {
  SKIP_UNDER_WINE("a mapped COM port whose device is missing fails with ERROR_INVALID_FUNCTION");
  TVaComm comm;
  comm.SetDeviceName("\\\\.\\COM%d");
  comm.SetPortNum(7);  // mapped in the prefix, pointed at no terminal
  EXPECT_EQ(OpenError(comm), "Specified device not found (\\\\.\\COM7).");
  EXPECT_EQ(CommErrorOf([&] { comm.Open(); })->Kind(), TVaCommErrorKind::NotFound);
  EXPECT_FALSE(comm.Active());
}

TEST(OpenClose, APortHeldByAnotherHandleRaisesCantOpen) {
  SKIP_UNDER_WINE("a second handle on an open COM port is not refused");
  PseudoTerminal pty;
  TVaComm first;
  first.SetDeviceName(pty.SlavePath());
  first.Open();
  TVaComm second;
  second.SetDeviceName(pty.SlavePath());
  EXPECT_EQ(OpenError(second),
            "Can't open specified device " + pty.SlavePath() + " (Error 5, " + Platform::SysErrorMessage(5) + ")");
  EXPECT_EQ(CommErrorOf([&] { second.Open(); })->Kind(), TVaCommErrorKind::Busy);
  EXPECT_FALSE(second.Active());
  first.Close();
  second.Open();
  EXPECT_TRUE(second.Active());
}
