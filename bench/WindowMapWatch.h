#pragma once
// Watches an X display for top-level windows being mapped (shown), from a
// thread of its own, and notes when each was mapped and under which title.
// Used to time a program's start to its main window on the screen without
// polling for it.
#include <xcb/xcb.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class WindowMapWatch {
public:
  // Connects to the display (e.g. ":93"); Error() tells why when it cannot.
  explicit WindowMapWatch(const std::string& display);
  ~WindowMapWatch();
  WindowMapWatch(const WindowMapWatch&) = delete;
  WindowMapWatch& operator=(const WindowMapWatch&) = delete;

  bool Connected() const { return error_.empty(); }
  const std::string& Error() const { return error_; }

  // When (MonotonicNs) a window with exactly this title was first mapped at
  // or after `sinceNs`, waiting up to `timeoutMs` for it.
  std::optional<int64_t> MappedAt(const std::string& title, int64_t sinceNs, int timeoutMs) const;

private:
  struct Mapping {
    int64_t AtNs;
    xcb_window_t Window;
  };
  void Run();
  std::string Title(xcb_window_t window) const;

  xcb_connection_t* connection_ = nullptr;
  std::string error_;
  mutable std::mutex mutex_;
  std::vector<Mapping> mappings_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};
