#include "serial/VaClasses.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "base/Exception.h"

// --- configuration objects -------------------------------------------------------

void TVaPersistent::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

void TVaPersistent::Changed() {
  if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TVaPersistent::AssignError(const TVaPersistent& source) const {
  throw Exception(std::string("Cannot assign a ") + source.ClassName() + " to a " + ClassName());
}

// --- components ------------------------------------------------------------------

TVaComponent::TVaComponent(TVaComponent* AOwner) : FOwner(AOwner) {
  if (FOwner != nullptr) FOwner->InsertComponent(this);
}

TVaComponent::~TVaComponent() {
  FState |= csDestroying;
  // Tell everyone who asked, then free what we own (last created first).
  const std::vector<TVaComponent*> notifies = FFreeNotifies;
  for (TVaComponent* other : notifies) {
    other->RemoveFreeNotification(this);
    other->Notification(this, opRemove);
  }
  while (!FComponents.empty()) delete FComponents.back();  // each removes itself
  if (FOwner != nullptr) {
    FOwner->RemoveComponent(this);
    FOwner->Notification(this, opRemove);
  }
}

void TVaComponent::SetDesigning(bool designing) {
  FState = designing ? (FState | csDesigning) : (FState & ~unsigned(csDesigning));
}

void TVaComponent::Loaded() { FState &= ~unsigned(csLoading); }

void TVaComponent::FreeNotification(TVaComponent* other) {
  if (other == nullptr || other == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), other) == FFreeNotifies.end()) {
    FFreeNotifies.push_back(other);
    other->FreeNotification(this);
  }
}

void TVaComponent::RemoveFreeNotification(TVaComponent* other) {
  auto found = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), other);
  if (found == FFreeNotifies.end()) return;
  FFreeNotifies.erase(found);
  other->RemoveFreeNotification(this);
}

void TVaComponent::Notification(TVaComponent*, TOperation) {}

void TVaComponent::InsertComponent(TVaComponent* child) {
  FComponents.push_back(child);
  Notification(child, opInsert);
}

void TVaComponent::RemoveComponent(TVaComponent* child) {
  FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), child), FComponents.end());
}
