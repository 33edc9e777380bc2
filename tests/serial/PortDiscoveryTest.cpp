// The port discovery on device, system and ports folders of the test's own,
// with pseudo-terminals standing in for serial devices.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "SerialTestSupport.h"
#include "session/PortReport.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using namespace PortDiscovery;

class PortDiscoveryTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char* f : {"dev/serial/by-id", "sys", "ports"}) fs::create_directories(folder / f);
    roots = PortRoots{(folder / "dev").string(), (folder / "sys").string(), (folder / "ports").string()};
  }
  // A device node of the test's device folder that is really a pseudo-terminal.
  void Device(const std::string& name, const PseudoTerminal& pty) {
    fs::create_symlink(pty.SlavePath(), folder / "dev" / name);
  }
  void PortsEntry(int com, const fs::path& target) {
    fs::create_symlink(target, folder / "ports" / ("COM" + std::to_string(com)));
  }
  std::vector<std::string> Listing() { return PortListing(roots); }

  TempFolder folder{"port-discovery"};
  PortRoots roots;
  PseudoTerminal usb0, acm1, pts;
};

TEST_F(PortDiscoveryTest, FixedMappingLinksAndStableNames) {
  Device("ttyUSB0", usb0);
  Device("ttyACM1", acm1);
  fs::create_symlink("../../ttyUSB0", folder / "dev/serial/by-id/usb-Maker_Adapter_A1B2-if00-port0");
  PortsEntry(3, folder / "dev/serial/by-id/usb-Maker_Adapter_A1B2-if00-port0");
  PortsEntry(2, pts.SlavePath());

  const ComPort com5 = ResolveComPort(5, roots);
  EXPECT_FALSE(com5.FromPortsFolder);
  EXPECT_EQ(com5.Check.State, DeviceState::Present);
  EXPECT_EQ(com5.Check.Device, usb0.SlavePath());
  const ComPort com3 = ResolveComPort(3, roots);
  EXPECT_TRUE(com3.FromPortsFolder);
  EXPECT_EQ(
      ComPortLine(com3),
      "COM 3 \u2192 " + (folder / "dev/serial/by-id/usb-Maker_Adapter_A1B2-if00-port0").string() + " (vorhanden)");
  EXPECT_EQ(ComPortLine(ResolveComPort(2, roots)), "COM 2 \u2192 " + pts.SlavePath() + " (vorhanden)");
  EXPECT_EQ(ComPortLine(ResolveComPort(6, roots)),
            "COM 6 \u2192 " + (folder / "dev/ttyUSB1").string() + " (nicht vorhanden)");

  const auto devices = ListSerialDevices(roots);
  ASSERT_EQ(devices.size(), 2u) << "the pty behind COM 2 is no port of the device folder";
  const auto usb =
      std::find_if(devices.begin(), devices.end(), [&](const SerialDevice& d) { return d.Path == usb0.SlavePath(); });
  ASSERT_NE(usb, devices.end());
  EXPECT_EQ(usb->Preferred(), (folder / "dev/serial/by-id/usb-Maker_Adapter_A1B2-if00-port0").string());

  const auto lines = Listing();
  ASSERT_EQ(lines.size(), 11u) << "every present device is opened by a COM number (ttyACM1 by COM 10)";
  EXPECT_EQ(lines[9], "COM 10 \u2192 " + (folder / "dev/ttyACM1").string() + " (vorhanden)");
}

TEST_F(PortDiscoveryTest, DevicesNoComNumberOpensAreListedAfterThePorts) {
  Device("ttyUSB3", usb0);  // COM 8
  Device("ttyUSB7", acm1);  // beyond the fixed mapping
  const auto lines = Listing();
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[7], "COM 8 \u2192 " + (folder / "dev/ttyUSB3").string() + " (vorhanden)");
  EXPECT_EQ(lines[11], "keine COM-Nummer \u2192 " + acm1.SlavePath() + " (vorhanden)");
}

// A legacy port name counts only with a UART behind it: the type the serial
// core files under sysfs, or else a driver other than the legacy one, which
// claims its ports whether or not a UART is there.
TEST_F(PortDiscoveryTest, LegacyPortsNeedAUart) {
  PseudoTerminal s2, s3;
  Device("ttyS0", usb0);  // no sysfs entry
  Device("ttyS1", acm1);  // another driver
  Device("ttyS2", s2);    // the serial core found no UART (type 0)
  Device("ttyS3", s3);    // a 16550A (type 4)
  fs::create_directories(folder / "sys/class/tty/ttyS1/device");
  fs::create_symlink("../../../bus/drivers/pl011", folder / "sys/class/tty/ttyS1/device/driver");
  for (const auto& [name, type] : {std::pair{"ttyS2", "0\n"}, std::pair{"ttyS3", "4\n"}}) {
    fs::create_directories(folder / "sys/class/tty" / name / "device");
    fs::create_symlink("../../../bus/drivers/serial8250", folder / "sys/class/tty" / name / "device/driver");
    std::ofstream(folder / "sys/class/tty" / name / "type") << type;
  }
  EXPECT_EQ(ResolveComPort(1, roots).Check.State, DeviceState::Missing);
  EXPECT_EQ(ResolveComPort(2, roots).Check.State, DeviceState::Present);
  EXPECT_EQ(ResolveComPort(3, roots).Check.State, DeviceState::Missing);
  EXPECT_EQ(ResolveComPort(4, roots).Check.State, DeviceState::Present);
  ASSERT_EQ(ListSerialDevices(roots).size(), 2u);
}

// Entries that lead nowhere useful are reported, and none of them is opened:
// the pipe would block an open until a writer came.
TEST_F(PortDiscoveryTest, BadEntriesAreNotUsableAndNeverOpened) {
  fs::create_symlink(folder / "ports/COM1", folder / "ports/COM1");  // a link loop
  PortsEntry(4, folder / "dev");                                     // a folder
  ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0);
  PortsEntry(7, folder / "pipe");  // no serial device
  PortsEntry(8, folder / "gone");  // a dangling link
  EXPECT_EQ(ResolveComPort(1, roots).Check.Problem, Unusable::LinkLoop);
  EXPECT_EQ(ComPortLine(ResolveComPort(4, roots)),
            "COM 4 \u2192 " + (folder / "dev").string() + " (nicht verwendbar: Verzeichnis)");
  EXPECT_EQ(ResolveComPort(7, roots).Check.Problem, Unusable::NotSerial);
  EXPECT_EQ(ComPortLine(ResolveComPort(8, roots)), "COM 8 \u2192 " + (folder / "gone").string() + " (nicht vorhanden)");
  EXPECT_EQ(ResolveComPort(8, roots).Check.State, DeviceState::Missing);
  // The loop and the pipe in the device folder's stable names are skipped too.
  fs::create_symlink(folder / "pipe", folder / "dev/serial/by-id/usb-Pipe-if00");
  fs::create_symlink(folder / "dev/serial/by-id/loop", folder / "dev/serial/by-id/loop");
  EXPECT_TRUE(ListSerialDevices(roots).empty());
}

TEST_F(PortDiscoveryTest, TheHintNamesWhatExistsAndTheLinkCommand) {
  EXPECT_EQ(MissingDeviceHint(5, roots), "Es ist kein serielles Ger\u00e4t angeschlossen.");
  Device("ttyACM0", usb0);  // opened by COM 9 already
  Device("ttyACM5", acm1);  // no COM number opens it
  fs::create_symlink("../../ttyACM5", folder / "dev/serial/by-id/usb-Maker_Modem_77-if00");
  const std::string byId = (folder / "dev/serial/by-id/usb-Maker_Modem_77-if00").string();
  EXPECT_EQ(MissingDeviceHint(5, roots), "Vorhandene serielle Ger\u00e4te:\n  " + usb0.SlavePath() + " (COM 9)\n  " +
                                             acm1.SlavePath() + " = " + byId + "\nSo zeigt COM 5 auf " + byId +
                                             ":\n  mkdir -p " + roots.PortsFolder + "\n  ln -sfn " + byId + " " +
                                             roots.PortsFolder + "/COM5\n");
  EXPECT_EQ(MissingDeviceHint(0, roots).find("ln -sfn"), std::string::npos) << "a device path needs no link";
  // When every device has its COM number, that number is the advice.
  PortsEntry(4, folder / "dev/ttyACM5");
  const std::string hint = MissingDeviceHint(5, roots);
  EXPECT_NE(hint.find(" (COM 4)"), std::string::npos) << hint;
  EXPECT_EQ(hint.find("ln -sfn"), std::string::npos) << hint;
  EXPECT_NE(hint.find("W\u00e4hlen Sie die COM-Nummer eines davon."), std::string::npos) << hint;
}

}  // namespace
