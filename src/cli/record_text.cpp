#include "cli/record_text.h"

#include <cwchar>

namespace {

constexpr uint64_t kFileTimeUnitsPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;

// Year, month and day of a count of days since 1970-01-01 (proleptic Gregorian calendar).
void CivilFromDays(int64_t days, int64_t *year, unsigned *month, unsigned *day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
  *day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  *month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  *year = static_cast<int64_t>(yearOfEra) + era * 400 + (*month <= 2 ? 1 : 0);
}

} // namespace

void FormatCreated(uint64_t fileTime, wchar_t (&text)[kCreatedChars]) {
  text[0] = 0;
  if (fileTime == 0) return;
  const int64_t seconds =
      static_cast<int64_t>(fileTime / kFileTimeUnitsPerSecond) - kSecondsFrom1601To1970;
  int64_t days = seconds / 86400;
  int64_t inDay = seconds % 86400;
  if (inDay < 0) {
    inDay += 86400;
    --days;
  }
  int64_t year;
  unsigned month, day;
  CivilFromDays(days, &year, &month, &day);
  std::swprintf(text, kCreatedChars, L"%04lld-%02u-%02uT%02u:%02u:%02uZ",
                static_cast<long long>(year), month, day, static_cast<unsigned>(inDay / 3600),
                static_cast<unsigned>(inDay / 60 % 60), static_cast<unsigned>(inDay % 60));
}

void FormatNumber(uint64_t number, wchar_t (&text)[kNumberChars]) {
  std::swprintf(text, kNumberChars, L"%llu", static_cast<unsigned long long>(number));
}

const wchar_t *ClipUsageText(uint32_t clipUsage) {
  if (clipUsage == kClipUsageSource) return L"Source";
  if (clipUsage == kClipUsagePrecomp) return L"Precomp";
  return L"";
}

std::wstring JsonString(const wchar_t *text) {
  std::wstring out = L"\"";
  for (const wchar_t *p = text; *p != 0; ++p) {
    const wchar_t c = *p;
    switch (c) {
    case L'"':
      out += L"\\\"";
      break;
    case L'\\':
      out += L"\\\\";
      break;
    case L'\b':
      out += L"\\b";
      break;
    case L'\f':
      out += L"\\f";
      break;
    case L'\n':
      out += L"\\n";
      break;
    case L'\r':
      out += L"\\r";
      break;
    case L'\t':
      out += L"\\t";
      break;
    default:
      if (static_cast<uint32_t>(c) < 0x20) {
        wchar_t escaped[8];
        std::swprintf(escaped, 8, L"\\u%04x", static_cast<unsigned>(c));
        out += escaped;
      } else {
        out += c;
      }
    }
  }
  return out + L"\"";
}
