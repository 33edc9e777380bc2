#pragma once
// A certificate authority of the test's own and a server certificate it signed
// for 127.0.0.1, made with the openssl command in a folder: for a broker that
// speaks TLS.
#include <filesystem>
#include <string>

struct TestCertificates {
  std::string CaFile;    // the authority's certificate (PEM)
  std::string CertFile;  // the server's certificate
  std::string KeyFile;   // the server's key
};

// Empty paths when openssl failed.
TestCertificates MakeTestCertificates(const std::filesystem::path& folder);
