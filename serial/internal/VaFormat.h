#pragma once
// Fills the placeholders of a message or device-name format from a list of
// texts: each "%d" or "%s" takes the next text, "%%" gives "%". Anything else,
// and a placeholder without a text left, stays as written, so a format
// supplied by a user can never read beyond its arguments.
#include <initializer_list>
#include <string>
#include <string_view>

std::string FormatArgs(std::string_view format, std::initializer_list<std::string_view> args);
