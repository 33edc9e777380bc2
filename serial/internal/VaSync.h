#pragma once
// Synchronisation classes of the component: OS events and waits on several
// of them. The lock its public classes hold is in serial/VaClasses.h.
#include <cstdint>
#include <initializer_list>

#include "serial/internal/Platform.h"

// Owner of one OS handle; destruction closes it.
class TVaHandleObject {
public:
  TVaHandleObject() = default;
  TVaHandleObject(const TVaHandleObject&) = delete;
  TVaHandleObject& operator=(const TVaHandleObject&) = delete;
  virtual ~TVaHandleObject();

  Platform::Event* Handle() const { return FHandle; }
  // The OS error code of the last failed wait.
  int LastError() const { return FLastError; }

protected:
  Platform::Event* FHandle = nullptr;
  int FLastError = 0;
};

enum TWaitResult { wrSignaled = 0, wrTimeout = 1, wrAbandoned = 2, wrError = 3 };

// An unnamed event, manual reset, initially not signalled.
class TVaEvent : public TVaHandleObject {
public:
  TVaEvent();
  void Signal();
  void Reset();
  // Milliseconds, or Platform::Infinite for no limit.
  TWaitResult WaitFor(uint32_t milliseconds);
};

// The event class the component creates everywhere.
class TVaWaitEvent : public TVaEvent {};

// Waits for the first of several events; returns its index (the lowest
// index wins when several are signalled), -1 on time-out, -2 on failure.
int WaitForAny(std::initializer_list<TVaEvent*> events, uint32_t milliseconds);
