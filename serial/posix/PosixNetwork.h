#pragma once
// A serial line behind a device server on the network, as a Platform::Comm:
// the name is resolved and the connection made on a thread of its own, so
// opening never waits for the network; until the connection is up, nothing
// arrives and what is written goes nowhere, as on a line with nobody at the
// other end. A failed connection or a closed one is the device's loss. With
// RFC 2217 the line's settings go to the server and Telnet's commands are
// taken out of the received bytes. Shared by the files of the binding only.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "serial/NetworkPortName.h"
#include "serial/internal/NetworkLine.h"
#include "serial/internal/Platform.h"

namespace Platform {

namespace PosixNetwork {

struct Handoff;

struct Line {
  explicit Line(const NetworkPortName& name);
  NetworkLine Stream;  // Telnet and the hints; under comm.Lock (its SendLock before comm.Lock)
  std::shared_ptr<Handoff> Connector;
};

// Error codes above this stand for a name the resolver could not resolve.
constexpr int ResolveErrorBase = 0x40000000;
// The resolver's text for such a code; empty for any other code.
std::string ResolveErrorText(int code);

// Starts the connection; nullptr (with LastError) only for a malformed name.
Comm* Open(const std::string& name);
// Closes the socket; a connection still being made is closed when it is done.
void Close(Comm& comm);
// The line's settings as the server is told them. Caller holds comm.Lock.
void TakeSettings(Comm& comm, const CommDcb& dcb);
// Telnet answers of received bytes; caller holds comm.Lock. Returns the data bytes kept.
// A stream that breaks Telnet's rules, or asks more answers than a few kB while
// the server reads none, is the line's loss (EPROTO).
uint32_t TakeReceived(Comm& comm, uint8_t* data, uint32_t count);
// What the line suspects of the server when it does not answer: the other
// scheme it seems to speak; empty when nothing points to that. Caller holds comm.Lock.
std::string Hint(Comm& comm);
// Once per connection: the server refused what setting the line needs. Caller holds comm.Lock.
std::string TakeNotice(Comm& comm);
// Sends queued Telnet answers if no write is under way (the write sends them
// first). Called without comm.Lock.
void TrySendControl(Comm& comm);
WriteResult Write(Comm& comm, const void* data, uint32_t count, std::span<Event* const> cancel, uint32_t milliseconds);

}  // namespace PosixNetwork
}  // namespace Platform
