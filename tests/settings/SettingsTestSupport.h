#pragma once
// Shared set-up of the settings tests: a fresh store and link on an in-memory
// port, and the two settings windows as the program creates them.
#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <string>
#include <vector>

#include "link/Dcl.h"
#include "settings/Edit.h"
#include "settings/FillSettings.h"
#include "settings/TForm13.h"
#include "settings/TForm7.h"
#include "settings/UpDown.h"
#include "tests/support/MemoryPort.h"

using Bytes = std::vector<uint8_t>;

class SettingsTest : public ::testing::Test {
protected:
  void SetUp() override {
    ClearPlantStore();
    SetLinkPort(&port);
    InitLink();
    Form7 = new TForm7;
    Form13 = new TForm13;
    SetCommandControls(Form7);
    WizardStep = 0;
    port.TakeWritten();
  }
  void TearDown() override {
    SetCommandControls(nullptr);
    SetLinkPort(nullptr);
    delete Form13;
    Form13 = nullptr;
    delete Form7;
    Form7 = nullptr;
  }

  // Runs one polling tick at the first command tick and returns what went out.
  Bytes CommandTick(int tick = 43) {
    port.TakeWritten();
    PollTick = tick;
    PollingTick();
    return port.TakeWritten();
  }

  // The slots marked now (1..29 with the byte 1).
  static std::vector<int> MarkedSlots() {
    std::vector<int> marked;
    for (int slot = 1; slot <= PendingSlots; ++slot)
      if (PendingCommands[slot] == 1) marked.push_back(slot);
    return marked;
  }

  static void Type(TEdit* edit, const char* utf8) { edit->setText(QString::fromUtf8(utf8)); }
  static std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

  MemoryPort port;
};

// A command frame with its checksum in the last byte.
inline Bytes WithChecksum(Bytes frame) {
  frame.back() = FrameFormat::Checksum(frame.data(), frame.size());
  return frame;
}

// The 30-byte number frame carrying a 12-character number.
inline Bytes NumberFrame(const char* number) {
  Bytes frame(30, 0);
  frame[0] = 0xFE;
  frame[1] = 0x8F;
  frame[2] = 30;
  frame[3] = 4;
  for (int i = 0; i < 12; ++i) frame[4 + i] = static_cast<uint8_t>(number[i]);
  return WithChecksum(frame);
}
