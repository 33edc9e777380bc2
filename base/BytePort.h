#pragma once
// The three operations of a serial line that the link needs. The serial port
// component implements them; tests use MemoryPort.
class BytePort {
public:
  virtual ~BytePort() = default;
  // Queues count bytes for sending; returns the number accepted.
  virtual int WriteBuf(const void* data, int count) = 0;
  // Reads up to count bytes that have arrived; returns how many were read (0 if none).
  virtual int ReadBuf(void* data, int count) = 0;
  // Discards everything waiting on the receive side.
  virtual void PurgeRead() = 0;
  // Says how many bytes the reader needs before it can go on: a port that can
  // tells of arrivals once that many have come (or the line has gone quiet),
  // instead of at every byte. Ports that cannot ignore it.
  virtual void ExpectBytes(int /*count*/) {}
};
