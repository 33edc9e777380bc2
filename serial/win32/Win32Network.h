#pragma once
// A serial line behind a device server on the network, as a Platform::Comm on
// Windows: the name is resolved and the connection made on a thread of its
// own, so opening never waits for the network; until the connection is up,
// nothing arrives and what is written goes nowhere. Received bytes come
// through an overlapped receive that the comm-event wait keeps posted, and
// writes are overlapped sends that the cancel events and the time limit end.
// A failed or closed connection is the device's loss. Telnet (RFC 2217) is
// the component's NetworkLine. Shared by the files of the binding only.
// Win32Comm.h first: the comm constants come before <windows.h>.
#include "Win32Comm.h"
// clang-format off
#include <winsock2.h>
// clang-format on

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "serial/NetworkPortName.h"
#include "serial/internal/NetworkLine.h"
#include "serial/internal/Platform.h"

namespace Platform {

namespace Win32Network {

struct Handoff;

struct Line {
  explicit Line(const NetworkPortName& name);
  ~Line();
  NetworkLine Stream;              // Telnet and the hints; under comm.Lock (its SendLock before comm.Lock)
  SOCKET Socket = INVALID_SOCKET;  // set once connected; under comm.Lock
  CommDcb Dcb;                     // the line's settings as set; under comm.Lock
  std::shared_ptr<Handoff> Connector;
  Overlapped ReceiveIo;  // the comm-event wait's receive (event thread only)
  uint8_t Buffer[1024];  // what that receive fills
  Overlapped SendIo;     // under Stream.SendLock
};

// Starts the connection; nullptr (with LastError) only for a malformed name.
Comm* Open(const std::string& name);
void Close(Comm& comm);
bool GetState(Comm& comm, CommDcb& dcb);
bool SetState(Comm& comm, const CommDcb& dcb);
CommWait WaitEvent(Comm& comm, uint32_t& mask, Event* cancel);
bool Read(Comm& comm, void* data, uint32_t count, uint32_t& read);
WriteResult Write(Comm& comm, const void* data, uint32_t count, std::span<Event* const> cancel, uint32_t milliseconds);
// The line errors (the loss only) and the queue's fill.
void Status(Comm& comm, CommStat& stat);
std::string Hint(Comm& comm);
std::string TakeNotice(Comm& comm);

}  // namespace Win32Network
}  // namespace Platform
