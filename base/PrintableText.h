#pragma once
// Names and values from a command line, a configuration or a file as messages
// and logs may show them: the check that refuses control characters in them,
// and the form that never lets such bytes reach a terminal or the journal raw.
#include <string>

// Whether the text holds a C0 control character (newline, escape, ...) or DEL:
// bytes that could forge a log line or drive the terminal that shows it.
bool HoldsControlCharacter(const std::string& text);

// Whether the text is UTF-8 without C1 control characters (overlong forms,
// surrogates and code points above U+10FFFF are not).
bool IsCleanUtf8(const std::string& text);

// The text as a message shows it: control characters and bytes that are not
// UTF-8 as \xNN, so that a terminal or the journal shows the message as text.
std::string Printable(const std::string& text);
