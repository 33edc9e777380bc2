#include "base/Exception.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex HandlerLock;

std::function<void(const std::exception&)>& ExceptionHandler() {
  static std::function<void(const std::exception&)> handler;
  return handler;
}

}  // namespace

void SetApplicationExceptionHandler(std::function<void(const std::exception&)> handler) {
  std::lock_guard guard(HandlerLock);
  ExceptionHandler() = std::move(handler);
}

void HandleApplicationException(const std::exception& error) {
  std::function<void(const std::exception&)> handler;
  {
    std::lock_guard guard(HandlerLock);
    handler = ExceptionHandler();
  }
  if (handler) {
    handler(error);
  } else {
    std::fprintf(stderr, "%s\n", error.what());
  }
}

void HandleCurrentException() {
  try {
    throw;
  } catch (const std::exception& error) {
    HandleApplicationException(error);
  } catch (...) {
    HandleApplicationException(Exception(""));
  }
}
