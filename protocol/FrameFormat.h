#pragma once
// The byte layout of the frames between PC and controller, shared by the PC's
// link and the controller simulator. Multi-byte values are big-endian on the wire.
#include <cstddef>
#include <cstdint>

namespace FrameFormat {

// Command frame, PC to controller: FE 8F L group code payload.. checksum.
constexpr uint8_t CommandHead0 = 0xFE;
constexpr uint8_t CommandHead1 = 0x8F;
// Request frame, PC to controller: FF F8 L code 0 checksum (L = 6),
// connection request FF F8 08 15 00 00 00 checksum.
constexpr uint8_t RequestHead0 = 0xFF;
constexpr uint8_t RequestHead1 = 0xF8;
constexpr uint8_t RequestLength = 6;
constexpr uint8_t ConnectLength = 8;
constexpr uint8_t ConnectCode = 0x15;
// Response frame, controller to PC: FF FA L type data.. checksum.
constexpr uint8_t ResponseHead0 = 0xFF;
constexpr uint8_t ResponseHead1 = 0xFA;

constexpr int BlockWords = 100;
constexpr int DataBlockLength = 4 + 2 * BlockWords + 1;  // 205
constexpr int ControllerInfoLength = 9;                  // type 1: four data bytes
constexpr int ConnectAnswerLength = 6;                   // type 20: one data byte
constexpr int MinResponseLength = 5;                     // type 11: no data

// Command groups.
constexpr uint8_t GroupSetValue = 1;
constexpr uint8_t GroupAction = 2;
constexpr uint8_t GroupStartScreenLine = 3;
constexpr uint8_t GroupNumberText = 4;
constexpr uint8_t GroupMonthTable = 5;

// Additive 8-bit checksum over the first length-1 bytes of a frame.
inline uint8_t Checksum(const uint8_t* frame, size_t length) {
  uint8_t s = 0;
  for (size_t i = 0; i + 1 < length; ++i) s = static_cast<uint8_t>(s + frame[i]);
  return s;
}

// True for the block types that carry 100 words.
inline bool IsDataBlockType(int type) { return (type >= 2 && type <= 10) || (type >= 14 && type <= 19); }

}  // namespace FrameFormat
