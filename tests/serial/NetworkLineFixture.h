#pragma once
// What the network line tests of both systems share: the port configured as
// the application configures it, opened on a name, gathering what it receives,
// beside a Telnet peer of the system's own that plays the server.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "SerialTestSupport.h"

using Bytes = std::string;

// Waits generous enough for a loaded machine; a peer that gets what it
// expects returns at once.
constexpr int WaitMs = 30000;

// A Telnet sub-negotiation of the COM port option with `body`.
inline Bytes Sub(std::initializer_list<uint8_t> body) {
  Bytes bytes{"\xFF\xFA\x2C"};
  for (uint8_t b : body) bytes += char(b);
  return bytes + "\xFF\xF0";
}

template <typename Peer>
class NetworkLineFixture : public ::testing::Test {
protected:
  void SetUp() override {
    ConfigureLikeApplication(comm);
    comm.OnRxChar = [this](TVaCustomComm* sender, int count) {
      std::string bytes(size_t(count), '\0');
      received.append(bytes.data(), size_t(sender->ReadBuf(bytes.data(), count)));
    };
  }
  void Open(const std::string& name) {
    comm.SetDeviceName(name);
    comm.Open();
  }
  std::string LostMessage() {
    EXPECT_TRUE(PumpUntil([&] { return !exceptions.Messages().empty(); }, WaitMs));
    return exceptions.Messages().empty() ? "" : exceptions.Messages()[0];
  }

  Peer peer;
  TVaComm comm;
  ExceptionRecord exceptions;
  std::string received;
};
