#pragma once
// The unit VaClasses: the base classes of the component (configuration
// objects with change notification, components with owner, loading state and
// removal notices), the lock its classes hold and the priorities of its
// threads. The events and the thread class itself are the component's insides
// (serial/internal/). The hook to the application's exception display comes
// with base/Exception.h.
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "base/Exception.h"

// A lock that the thread holding it may take again.
class TVaCriticalSection {
public:
  void Enter() { FLock.lock(); }
  void Leave() { FLock.unlock(); }
  // So that std::lock_guard and friends can hold it.
  void lock() { Enter(); }
  void unlock() { Leave(); }

private:
  std::recursive_mutex FLock;
};

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// --- configuration objects -------------------------------------------------------
// Sets `field` to `value` and runs `apply` (a change notification, or writing
// the setting to the device); when that raises, the field gets its old value
// back and the exception goes on. A value the field already has does nothing.
template <typename T, typename Apply>
void SetAndApply(T& field, T value, Apply&& apply) {
  if (field == value) return;
  const T old = field;
  field = value;
  try {
    apply();
  } catch (...) {
    field = old;
    throw;
  }
}

class TVaPersistent {
public:
  virtual ~TVaPersistent() = default;

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }
  virtual const char* ClassName() const { return "TVaPersistent"; }

  // Set by the owning component; called with the changed object.
  std::function<void(TVaPersistent* Sender)> OnChange;

protected:
  // Calls OnChange unless an update is in progress.
  void Changed();
  // The toolkit's fallback for an assignment between unrelated classes.
  [[noreturn]] void AssignError(const TVaPersistent& source) const;

private:
  int FUpdateCount = 0;
};

// --- components ------------------------------------------------------------------
enum TOperation { opInsert, opRemove };
enum TComponentStateFlag : unsigned { csLoading = 1, csDesigning = 2, csDestroying = 4 };

class TVaComponent {
public:
  // An owner frees the components it owns when it is destroyed.
  explicit TVaComponent(TVaComponent* AOwner = nullptr);
  TVaComponent(const TVaComponent&) = delete;
  TVaComponent& operator=(const TVaComponent&) = delete;
  virtual ~TVaComponent();

  TVaComponent* Owner() const { return FOwner; }
  const std::string& Name() const { return FName; }
  void SetName(const std::string& name) { FName = name; }

  unsigned ComponentState() const { return FState; }
  bool Loading() const { return FState & csLoading; }
  bool Designing() const { return FState & csDesigning; }
  bool Destroying() const { return FState & csDestroying; }
  void SetDesigning(bool designing);

  // Reading from a stream: BeginLoading, set the properties, then Loaded.
  void BeginLoading() { FState |= csLoading; }
  virtual void Loaded();

  // Both components are told when the other one is destroyed.
  void FreeNotification(TVaComponent* other);
  void RemoveFreeNotification(TVaComponent* other);

protected:
  virtual void Notification(TVaComponent* AComponent, TOperation Operation);
  // Called first by destructors of derived classes, so that their teardown knows.
  void MarkDestroying() { FState |= csDestroying; }

private:
  void InsertComponent(TVaComponent* child);
  void RemoveComponent(TVaComponent* child);

  TVaComponent* FOwner;
  std::string FName;
  unsigned FState = 0;
  std::vector<TVaComponent*> FComponents;
  std::vector<TVaComponent*> FFreeNotifies;
};
