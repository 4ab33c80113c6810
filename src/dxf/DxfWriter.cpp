#include "dxf/DxfWriter.h"

#include <charconv>
#include <cmath>

#include "dxf/DxfEntity.h"

namespace brisol {

int FormatReal(char* buffer, int size, double value) {
  if (size <= 0) return 0;
  if (std::isnan(value))
    return std::snprintf(buffer, static_cast<std::size_t>(size), std::signbit(value) ? "-nan" : "nan");
  if (std::isinf(value)) return std::snprintf(buffer, static_cast<std::size_t>(size), value < 0 ? "-inf" : "inf");
  const auto result = std::to_chars(buffer, buffer + size - 1, value, std::chars_format::fixed, 6);
  if (result.ec != std::errc()) {
    buffer[0] = '\0';
    return 0;
  }
  *result.ptr = '\0';
  return static_cast<int>(result.ptr - buffer);
}

void WriteTextGroup(std::FILE* file, int code, const char* text) {
  std::fprintf(file, " %d\n%s\n", code, text == nullptr ? "" : text);
}

void WriteIntGroup(std::FILE* file, int code, int n) { std::fprintf(file, " %d\n%d\n", code, n); }

void WriteRealGroup(std::FILE* file, int code, double value) {
  char buffer[400];  // the largest double has 309 digits before the point
  FormatReal(buffer, sizeof buffer, value);
  std::fprintf(file, " %d\n%s\n", code, buffer);
}

void WritePointGroup(std::FILE* file, int code, double x, double y, double z) {
  WriteRealGroup(file, code, x);
  WriteRealGroup(file, code + 10, y);
  WriteRealGroup(file, code + 20, z);
}

void WriteEntityHead(std::FILE* file, const CDxfEntity& entity) {
  WriteTextGroup(file, 8, entity.GetLayerName());
  WriteIntGroup(file, 62, entity.GetColourNumber());
}

}  // namespace brisol
