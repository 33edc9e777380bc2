#include "WindowMapWatch.h"

#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "MonotonicClock.h"

WindowMapWatch::WindowMapWatch(const std::string& display) {
  connection_ = xcb_connect(display.c_str(), nullptr);
  if (xcb_connection_has_error(connection_)) {
    error_ = "cannot connect to display " + display;
    return;
  }
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection_, screen->root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(connection_);
  thread_ = std::thread([this] { Run(); });
}

WindowMapWatch::~WindowMapWatch() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  xcb_disconnect(connection_);
}

// Only notes the window and the moment: its title is asked for later, so
// that reading events is never held up by a round trip to the server.
void WindowMapWatch::Run() {
  pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
  while (!stop_ && !xcb_connection_has_error(connection_)) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
      const int64_t now = MonotonicNs();
      if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
        const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event);
        std::lock_guard<std::mutex> lock(mutex_);
        mappings_.push_back({now, map->window});
      }
      std::free(event);
    }
    poll(&fd, 1, 20);
  }
}

// xcb connections may be used from several threads at once.
std::string WindowMapWatch::Title(xcb_window_t window) const {
  const xcb_get_property_cookie_t cookie =
      xcb_get_property(connection_, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
  xcb_get_property_reply_t* reply = xcb_get_property_reply(connection_, cookie, nullptr);
  if (reply == nullptr) return {};
  const std::string title(static_cast<const char*>(xcb_get_property_value(reply)),
                          static_cast<size_t>(xcb_get_property_value_length(reply)));
  std::free(reply);
  return title;
}

std::optional<int64_t> WindowMapWatch::MappedAt(const std::string& title, int64_t sinceNs, int timeoutMs) const {
  const int64_t deadline = MonotonicNs() + int64_t{timeoutMs} * 1'000'000;
  size_t checked = 0;
  do {
    std::vector<Mapping> mappings;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      mappings = mappings_;
    }
    for (; checked < mappings.size(); ++checked)
      if (mappings[checked].AtNs >= sinceNs && Title(mappings[checked].Window) == title) return mappings[checked].AtNs;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (MonotonicNs() < deadline);
  return std::nullopt;
}
