#pragma once
// What a line behind a serial device server adds to the bytes, whatever the
// sockets underneath: the Telnet answers waiting to go, the opening and the
// line's settings for an RFC 2217 server, Telnet taken out of received bytes,
// data escaped on the way out, and what the line suspects of a server that
// does not answer. Both bindings keep one in their device record and guard it
// with the record's lock; they own the socket and the connecting thread.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "serial/internal/Platform.h"
#include "serial/internal/TelnetCodec.h"

namespace Platform {

class NetworkLine {
public:
  // `name` is the port's name as written, `otherScheme` the same server under
  // the other scheme (named in the hints).
  NetworkLine(bool telnet, std::string name, std::string otherScheme);

  bool Telnet() const { return telnet_; }
  const std::string& Name() const { return name_; }

  // The connection is up: an RFC 2217 server hears the opening and the line's settings first.
  void Connected(const CommDcb& dcb);
  // The line's settings changed while connected: queues them for the server.
  void TakeSettings(const CommDcb& dcb);

  struct Received {
    uint32_t Kept = 0;           // data bytes left at the front of the buffer
    bool Broken = false;         // the server broke Telnet's rules or asked too many answers: the line's loss
    bool AnswersQueued = false;  // Telnet answers wait to be sent
  };
  // Takes Telnet's commands out of received bytes in place and queues their answers.
  Received TakeReceived(uint8_t* data, uint32_t count);

  // What the line suspects of the server: the other scheme it seems to speak; empty when nothing points to that.
  std::string Hint(bool connected) const;
  // Once per connection: the server refused what setting the line needs.
  std::string TakeNotice();

  // The Telnet answers and commands waiting to go, taken out of the queue.
  std::vector<uint8_t> TakeControl();
  // Puts bytes[from, to) back in front of the queue (what a send did not take).
  void PutBackControl(const std::vector<uint8_t>& bytes, size_t from, size_t to);

  // A write's bytes on the wire: the queued Telnet bytes first, then the data (escaped for Telnet).
  struct Outgoing {
    std::vector<uint8_t> Wire;
    size_t Control = 0;  // how many of Wire's first bytes are Telnet's own
  };
  Outgoing StartWrite(const uint8_t* data, uint32_t count);
  // After `sent` bytes of the wire went: how many data bytes went in whole.
  // Telnet bytes that did not go are queued again; data reported as not written is never sent later.
  uint32_t FinishWrite(const Outgoing& write, const uint8_t* data, uint32_t count, size_t sent);

  // One sender on the socket at a time, so nothing lands inside a doubled
  // 0xFF. Taken before the record's lock, never after it.
  std::mutex SendLock;

private:
  void NoteFirstBytes(const uint8_t* data, uint32_t count);
  bool SpeaksTelnet() const;
  std::string RefusedSettings() const;

  bool telnet_;
  std::string name_;
  std::string otherScheme_;
  Telnet::Decoder decoder_;             // RFC 2217 only
  std::vector<uint8_t> control_;        // Telnet bytes waiting to be sent
  std::vector<uint8_t> firstReceived_;  // the first bytes that came (raw TCP only)
  bool settingsNoticeGiven_ = false;
};

}  // namespace Platform
