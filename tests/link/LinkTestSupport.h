#pragma once
// Shared set-up of the link tests: a fresh store and link on an in-memory port,
// and builders of controller frames.
#include <gtest/gtest.h>

#include <vector>

#include "link/Dcl.h"
#include "tests/support/MemoryPort.h"

using Bytes = std::vector<uint8_t>;

class LinkTest : public ::testing::Test {
protected:
  void SetUp() override {
    ClearPlantStore();
    SetLinkPort(&port);
    SetCommandControls(nullptr);
    InitLink();
    port.TakeWritten();
  }
  void TearDown() override { SetLinkPort(nullptr); }

  // Feeds bytes and runs the receive handler, as the port's receive event does.
  void Receive(const Bytes& bytes) {
    port.Feed(bytes);
    GatherRxBytes();
  }

  MemoryPort port;
};

// A response frame FF FA L type data.. checksum with a correct checksum.
inline Bytes Response(int type, const Bytes& data) {
  Bytes f(data.size() + 5);
  f[0] = 0xFF;
  f[1] = 0xFA;
  f[2] = static_cast<uint8_t>(data.size() + 5);
  f[3] = static_cast<uint8_t>(type);
  std::copy(data.begin(), data.end(), f.begin() + 4);
  f.back() = FrameFormat::Checksum(f.data(), f.size());
  return f;
}

// A data block whose word i is first + i.
inline Bytes DataBlock(int type, uint16_t first) {
  Bytes data;
  for (int i = 0; i < 100; ++i) {
    const uint16_t w = static_cast<uint16_t>(first + i);
    data.push_back(static_cast<uint8_t>(w >> 8));
    data.push_back(static_cast<uint8_t>(w));
  }
  return Response(type, data);
}

inline Bytes WithChecksum(Bytes frame) {
  frame.back() = FrameFormat::Checksum(frame.data(), frame.size());
  return frame;
}

inline Bytes Request(int code) {
  Bytes f = {0xFF, 0xF8, 6, static_cast<uint8_t>(code), 0, 0};
  f.back() = FrameFormat::Checksum(f.data(), f.size());
  return f;
}

inline const Bytes ConnectRequestBytes = {0xFF, 0xF8, 8, 0x15, 0, 0, 0, 0x14};
