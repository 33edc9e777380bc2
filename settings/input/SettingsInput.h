#pragma once
// Reading the values typed into the settings windows. Texts are code page 1252.
#include <optional>
#include <string>
#include <string_view>

// A whole number typed into a field: every character a digit and the number
// within min..max. An empty field reads as 0, so it fails a range above 0.
std::optional<int> ParseWholeNumber(std::string_view text, int min, int max);

// A plant size in tenths of kWp: the digits read as one number, points
// skipped; a text without any point is whole kWp and is multiplied by 10
// ("30.4" 304, "30" 300, "3.04" 304). Fails on any other character, on a text
// without digits, and on a size the 16-bit command cannot carry (> 65535).
std::optional<int> ParsePlantSize(std::string_view text);

// Cleans the typed SMS number into SmsNumber (a digit stays, anything else
// becomes '.'; 12 characters) and marks SetSmsNumber.
void StoreSmsNumber(const std::string& text);

// Tenths as "%3.1f" shows them, always with a decimal point ("30.4", "0.5"),
// whatever the locale says.
std::string TenthsText(unsigned tenths);
