#pragma once
// The goals that more than one benchmark judges its figures by.
namespace Goals {

// A bridge on duty: its processor share of one core and its resident memory
// (MB of 10^6 bytes).
constexpr double BridgeCpuShare = 0.005;
constexpr double BridgeMemoryMB = 15;
// A data exchange's time against the wire time of its bytes at 2400 baud.
constexpr double ExchangeWireRatio = 1.01;

}  // namespace Goals
