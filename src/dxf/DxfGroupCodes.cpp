#include "dxf/DxfGroupCodes.h"

#include <locale.h>
#include <climits>
#include <clocale>
#include <cstdlib>

namespace brisol {
namespace {

struct CodeRange {
  int first;
  int last;
  DxfValueKind kind;
};

constexpr CodeRange kCodeRanges[] = {
    {0, 9, DxfValueKind::Text},          {10, 59, DxfValueKind::Double},    {60, 78, DxfValueKind::Integer},
    {90, 90, DxfValueKind::Integer},     {105, 105, DxfValueKind::Integer}, {140, 147, DxfValueKind::Double},
    {170, 178, DxfValueKind::Integer},   {210, 239, DxfValueKind::Double},  {270, 275, DxfValueKind::Integer},
    {280, 289, DxfValueKind::Integer},   {330, 350, DxfValueKind::Integer}, {1010, 1059, DxfValueKind::Double},
    {1060, 1079, DxfValueKind::Integer},
};

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

DxfValueKind ValueKindOfCode(int code) {
  for (const CodeRange& range : kCodeRanges) {
    if (code >= range.first && code <= range.last) return range.kind;
  }
  return DxfValueKind::Text;
}

int DxfParseInt(const char* text) {
  if (text == nullptr) return 0;
  while (IsCSpace(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = (*text++ == '-');
  long long value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    value = value * 10 + (*text - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  return static_cast<int>(value);
}

double DxfParseDouble(const char* text) {
  if (text == nullptr) return 0.0;
  const locale_t locale = CLocale();
  if (locale == static_cast<locale_t>(nullptr)) return std::strtod(text, nullptr);
  return strtod_l(text, nullptr, locale);
}

}  // namespace brisol
