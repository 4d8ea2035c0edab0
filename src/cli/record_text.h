// The texts of a media record's fields as orvalis-cli writes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "catalogue/media_record.h"

inline constexpr size_t kNumberChars = 24;  // an unsigned 64-bit number and its terminator
inline constexpr size_t kCreatedChars = 24; // "YYYY-MM-DDTHH:MM:SSZ" and its terminator

// The creation time as ISO 8601 UTC "YYYY-MM-DDTHH:MM:SSZ"; empty for 0.
void FormatCreated(uint64_t fileTime, wchar_t (&text)[kCreatedChars]);
void FormatNumber(uint64_t number, wchar_t (&text)[kNumberChars]);
// "Source", "Precomp" or empty.
const wchar_t *ClipUsageText(uint32_t clipUsage);

// Text as a JSON string, quotes included.
std::wstring JsonString(const wchar_t *text);
