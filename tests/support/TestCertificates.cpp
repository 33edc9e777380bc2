#include "tests/support/TestCertificates.h"

#include <fstream>
#include <vector>

#include "tests/support/ChildProcess.h"

namespace {

bool Openssl(const std::vector<std::string>& args) {
  ChildProcess openssl("/usr/bin/openssl", args, {}, ChildProcess::Output::WithStandardError);
  return openssl.Wait(60) == 0;
}

}  // namespace

TestCertificates MakeTestCertificates(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  const auto at = [&](const char* name) { return (folder / name).string(); };
  std::ofstream(at("san.cnf")) << "subjectAltName=IP:127.0.0.1,DNS:localhost\n";
  const bool made = Openssl({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                             "/CN=PCZentrixNet test CA", "-keyout", at("ca.key"), "-out", at("ca.pem")}) &&
                    Openssl({"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout",
                             at("server.key"), "-out", at("server.csr")}) &&
                    Openssl({"x509", "-req", "-in", at("server.csr"), "-CA", at("ca.pem"), "-CAkey", at("ca.key"),
                             "-CAcreateserial", "-days", "2", "-extfile", at("san.cnf"), "-out", at("server.pem")});
  if (!made) return {};
  return {at("ca.pem"), at("server.pem"), at("server.key")};
}
