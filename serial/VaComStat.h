#pragma once
// The record GetComStat fills: the line-error word (CE_ bits) followed by the
// queue status, 16 bytes as the comm interface lays it out. The platform
// binding fills the same record.
#include <cstdint>

struct TVaComStat {
  uint32_t Errors = 0;
  uint32_t Status = 0;
  uint32_t InQue = 0;
  uint32_t OutQue = 0;
};
static_assert(sizeof(TVaComStat) == 16);
