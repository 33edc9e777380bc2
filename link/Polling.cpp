#include "Polling.h"

#include <cstdio>
#include <cstring>

#include "Commands.h"
#include "Frames.h"
#include "base/BytePort.h"
#include "base/ExchangePhases.h"
#include "protocol/Cp1252.h"
#include "protocol/FrameFormat.h"
#include "store/PlantStore.h"

LinkStatistics LinkCounts;

namespace {

constexpr int ConnectingTick = 60;
constexpr int ExchangeStartTick = 24;
constexpr int RefreshTick = 41;
constexpr int LastCommandTick = 54;
constexpr int ExchangeRequestCode = 16;
// The controller types that change the reply to a block: from 250 on block 15 is
// answered with request 17 instead of 10, and type 255 answers block 18 with 19.
constexpr int LastTypeAnswering15With10 = 249;
constexpr int TypeAnswering18With19 = 255;

std::string Formatted(const char* format, int value) {
  char text[TextBufferSize];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// A response whose length byte does not fit its type is never acted on.
bool LengthFitsType(int type, int length) {
  if (length < FrameFormat::MinResponseLength) return false;
  if (FrameFormat::IsDataBlockType(type)) return length == FrameFormat::DataBlockLength;
  if (type == 1) return length >= FrameFormat::ControllerInfoLength;
  if (type == 20) return length >= FrameFormat::ConnectAnswerLength;
  return true;
}

void StoreBlock(uint16_t* table) {
  for (int i = 0; i < FrameFormat::BlockWords; ++i)
    table[i] = static_cast<uint16_t>(RxFrame[4 + 2 * i] << 8 | RxFrame[5 + 2 * i]);
}

void SendPendingCommand(TickActions& actions) {
  const int slot = NextPendingCommand();
  if (slot == 0) return;
  BuildCommand(slot);
  PendingCommands[slot] = 0;
  actions.CommandSent = slot;
}

void FillRefresh(TickActions& actions) {
  RecomputeScales();
  const unsigned addresses = Block2[Word::Block2::CanAddresses];
  for (int bit = 0; bit < 9; ++bit) actions.CheckBoxes[bit + 1] = (addresses >> bit) & 1;
  actions.CheckBoxes[10] = Block3[Word::Block3::DialPrefix] == 1;
  actions.CheckBoxes[11] = Block14[Word::Block14::Er3] == 1;
  if (ShowRequest >= 1 && ShowRequest <= 5) {
    actions.RedrawView = ShowRequest;
    actions.HideAllFirst = ShowRequest <= 2;
  }
  if (NoAnswerCount > 2) actions.LinkText = "    unterbrochen!";
  if (NoAnswerCount == 0) {
    actions.LinkText = "    vorhanden";
    actions.MonitorText = MonitorTextFor(Block3[Word::Block3::MonitoringOn], Block14[Word::Block14::FaultReport]);
  }
}

std::optional<std::string> StatusTextFor(int tick) {
  if (tick == ConnectingTick) return ConnectingStatusText();
  if (tick < 23) return Formatted("  %02d  Datenaustausch zwischen Zentrix und Zentrix Net", tick);
  if (tick > 23 && tick < 59) return Formatted("  %02d  Datenaustausch zwischen PC und ZentrixNet", tick);
  return std::nullopt;
}

}  // namespace

std::string ConnectingStatusText() { return "  60  Verbindungsaufbau zwischen PC und ZentrixNet"; }

std::string MonitorTextFor(unsigned monitoringOn, unsigned faultReport) {
  if (monitoringOn == 0) return Cp1252FromUtf8("Überpüfung = AUS!   ");
  if (faultReport == 0) return Cp1252FromUtf8("      keine Störung!");
  if (faultReport == 33) return Cp1252FromUtf8("    Zähler 1        ");
  return Formatted(Cp1252FromUtf8("Zähler 1 oder Zähler %d").c_str(), static_cast<int>(faultReport));
}

void InitLink() {
  PollTick = ConnectingTick;
  NoAnswerCount = 3;
  ConnectPending = 0xFF;
  RxActivity = 3;
  for (int slot = 1; slot <= LastCommandSlot; ++slot) PendingCommands[slot] = 0;
  SetScaleStartValues();
  LinkCounts = LinkStatistics{};
  DropRxBytes();
}

TickActions PollingTick() {
  TickActions actions;
  const int v = PollTick;

  if (RxActivity > 0) {
    RxActivity = 0;
  } else {
    DropRxBytes();
  }
  if (v == ExchangeStartTick) {
    ++NoAnswerCount;
    SendRequest(ExchangeRequestCode);
  }
  if (v == RefreshTick) {
    actions.Refresh = true;
    FillRefresh(actions);
  }
  if (v > 42) SendPendingCommand(actions);
  if (v == LastCommandTick) {
    ConnectPending = 0xFF;
    PollTick = ConnectingTick;
  }
  if (PollTick < 59) ++PollTick;
  if (PollTick == ConnectingTick) {
    if (ConnectPending == 0) PollTick = 0;
    else SendConnectRequest();
  }
  actions.StatusText = StatusTextFor(PollTick);
  return actions;
}

int ReplyCodeFor(int type) {
  switch (type) {
    case 1: return 1;
    case 2: return (ControllerType == 14 || ControllerType > 21) ? 14 : 2;
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9: return type;
    case 10: return ControllerType > 23 ? 15 : 10;
    case 14: return 2;
    case 15: return ControllerType > LastTypeAnswering15With10 ? 17 : 10;
    case 16: return 10;
    case 17: return 18;
    case 18: return ControllerType == TypeAnswering18With19 ? 19 : 20;
    case 19: return 20;
    default: return 0;
  }
}

void DecodeFrame() {
  VerifyRxChecksum();
  ++LinkCounts.Frames;
  const int type = RxFrame[3];
  if (ChecksumOk == 0 || !LengthFitsType(type, RxFrame[2])) {
    ++LinkCounts.FramesAskedAgain;
    if (ChecksumOk == 0) ++LinkCounts.BadChecksums;
    SendFrame();  // ask for the same frame again
    return;
  }
  if (uint16_t* table = BlockTable(type)) {
    {
      const PhaseScope phase(ExchangePhase::Store);
      StoreBlock(table);
    }
    ++LinkCounts.BlocksStored;
    SendRequest(ReplyCodeFor(type));
    return;
  }
  switch (type) {
    case 1:
      ControllerType = RxFrame[4];
      std::memcpy(ControllerVersion, RxFrame + 5, 3);
      SendRequest(ReplyCodeFor(1));
      break;
    case 11:
      NoAnswerCount = 0;
      ++LinkCounts.ExchangesCompleted;
      break;
    case 20: ConnectPending = RxFrame[4]; break;
    default: break;  // types 0, 12, 13 and above 20 are ignored
  }
}

void SendRequest(int code) {
  TxFrame[0] = FrameFormat::RequestHead0;
  TxFrame[1] = FrameFormat::RequestHead1;
  TxFrame[2] = FrameFormat::RequestLength;
  TxFrame[3] = static_cast<uint8_t>(code);
  TxFrame[4] = 0;
  SendFrame();
}

void SendConnectRequest() {
  TxFrame[0] = FrameFormat::RequestHead0;
  TxFrame[1] = FrameFormat::RequestHead1;
  TxFrame[2] = FrameFormat::ConnectLength;
  TxFrame[3] = FrameFormat::ConnectCode;
  TxFrame[4] = TxFrame[5] = TxFrame[6] = 0;
  SendFrame();
}
