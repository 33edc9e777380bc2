#pragma once
// What the bridge checks of its settings' values before it runs, so that a
// mistake is refused at the start instead of failing at every connect: texts
// that go to the broker, the certificate authority file, and whether the
// broker is on this machine.
#include <optional>
#include <string>

// Why the text cannot go to the broker as a topic level, user or client id:
// not UTF-8 (a file saved as Latin-1), or a control character. Never repeats
// the text itself.
std::optional<std::string> TextProblem(const std::string& text);

// Why the file is no certificate authority for TLS: unreadable, or without a
// PEM certificate ("-----BEGIN CERTIFICATE-----" with its body and its end).
std::optional<std::string> CertificateFileProblem(const std::string& path);

// Why the program cannot be run: a path (a name that says its folder) that is
// no file the system can start, or a name that no folder of PATH holds as one.
std::optional<std::string> ProgramProblem(const std::string& program);

// localhost, an address of 127.0.0.0/8, ::1, or this machine's own name.
// Nothing is looked up.
bool IsThisMachine(const std::string& host);
