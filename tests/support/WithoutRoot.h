#pragma once
// Work run in a child process without root's rights (as nobody), so that
// file permissions hold also for a test run as root.
#include <functional>
#include <string>

struct WithoutRootResult {
  std::string Text;       // what the work returned
  bool Finished = false;  // the child dropped root's rights, did the work and handed the text over
};

WithoutRootResult RunWithoutRoot(const std::function<std::string()>& work);
