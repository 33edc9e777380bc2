#include "bridge/ValueChecks.h"

#include "base/PrintableText.h"

#include <arpa/inet.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

std::optional<std::string> TextProblem(const std::string& text) {
  if (HoldsControlCharacter(text)) return "holds a control character";
  if (!IsCleanUtf8(text)) return "is not valid UTF-8 (was the file saved as Latin-1? save it as UTF-8)";
  return std::nullopt;
}

std::optional<std::string> CertificateFileProblem(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "cannot read " + path + " (" + std::strerror(errno) + ")";
  std::stringstream content;
  content << in.rdbuf();
  const std::string text = content.str();
  const std::string begin = "-----BEGIN CERTIFICATE-----", end = "-----END CERTIFICATE-----";
  const size_t from = text.find(begin);
  const size_t to = from == std::string::npos ? std::string::npos : text.find(end, from);
  if (to == std::string::npos || text.find_first_not_of(" \t\r\n", from + begin.size()) == to)
    return path + " holds no certificate (PEM, \"" + begin + "\")";
  return std::nullopt;
}

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<std::string> ProgramProblem(const std::string& program) {
  if (program.find('/') != std::string::npos)
    return IsExecutableFile(program) ? std::nullopt : std::optional<std::string>(program + " is no executable file");
  const char* path = std::getenv("PATH");
  std::istringstream folders(path != nullptr ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');)
    if (!folder.empty() && IsExecutableFile(folder + "/" + program)) return std::nullopt;
  return program + " is in no folder of PATH; name it with its path";
}

bool IsThisMachine(const std::string& host) {
  if (host == "localhost" || (host.size() > 10 && host.compare(host.size() - 10, 10, ".localhost") == 0)) return true;
  in_addr v4{};
  if (inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  in6_addr v6{};
  if (inet_pton(AF_INET6, host.c_str(), &v6) == 1) return IN6_IS_ADDR_LOOPBACK(&v6);
  char own[256] = {};
  return gethostname(own, sizeof own - 1) == 0 && host == own;
}
