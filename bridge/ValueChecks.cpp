#include "bridge/ValueChecks.h"

#include "base/PrintableText.h"
#include "bridge/ProgramFiles.h"
#include "bridge/ThisMachine.h"

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

std::optional<std::string> ProgramProblem(const std::string& program) {
  if (NamesItsFolder(program))
    return IsRunnableFile(program) ? std::nullopt : std::optional<std::string>(program + " is no executable file");
  for (const std::string& folder : ProgramSearchFolders())
    if (IsRunnableFile(InFolder(folder, program))) return std::nullopt;
  return program + " is in no folder of PATH; name it with its path";
}

bool IsThisMachine(const std::string& host) {
  if (host == "localhost" || (host.size() > 10 && host.compare(host.size() - 10, 10, ".localhost") == 0)) return true;
  if (IsLoopbackAddress(host)) return true;
  const std::string own = ThisMachineName();
  return !own.empty() && host == own;
}
