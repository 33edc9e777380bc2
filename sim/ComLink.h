#pragma once
// Links the simulator's line as a COM port of the PC program: a symbolic link
// $XDG_CONFIG_HOME/PCZentrixNet/ports/COMn (default ~/.config/...) to the
// line's path, removed again when the simulator ends.
#include <string>

namespace Sim {

class ComLink {
public:
  // Creates the link, replacing an older symbolic link of the same name;
  // anything else of that name is left alone and reported as an error.
  ComLink(int number, const std::string& target);
  ~ComLink();
  ComLink(const ComLink&) = delete;
  ComLink& operator=(const ComLink&) = delete;

  const std::string& LinkPath() const { return link_; }
  // Removes the link if it still points to the target (another simulator may have taken it over).
  void Remove();

  static std::string PortsFolder();

private:
  std::string link_;
  std::string target_;
};

}  // namespace Sim
