#include "ui/NumberText.h"

#include <locale.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "logger/Format.h"

namespace brisol {
namespace {

// Switches the calling thread to the C locale for as long as it lives.
class CNumericLocale {
 public:
  CNumericLocale() : m_c(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr))) {
    if (m_c != static_cast<locale_t>(nullptr)) m_previous = uselocale(m_c);
  }
  ~CNumericLocale() {
    if (m_c == static_cast<locale_t>(nullptr)) return;
    uselocale(m_previous);
    freelocale(m_c);
  }
  CNumericLocale(const CNumericLocale&) = delete;
  CNumericLocale& operator=(const CNumericLocale&) = delete;

 private:
  locale_t m_c;
  locale_t m_previous = static_cast<locale_t>(nullptr);
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
template <typename T>
QString FormatOne(const std::string& format, T value) {
  CNumericLocale c;
  char text[512];
  const int n = std::snprintf(text, sizeof text, format.c_str(), value);
  if (n < 0) return {};
  return QString::fromLatin1(text);
}
#pragma GCC diagnostic pop

}  // namespace

bool IsSingleConversion(const std::string& format, char letter) {
  if (format.size() < 2 || format.front() != '%' || format.back() != letter) return false;
  for (std::size_t i = 1; i + 1 < format.size(); ++i) {
    const char c = format[i];
    const bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == ' ' || c == '#';
    if (!allowed) return false;
  }
  return true;
}

QString FormatInt(const std::string& format, int value) {
  return IsSingleConversion(format, 'd') ? FormatOne(format, value) : QString();
}

QString FormatDouble(const std::string& format, double value) {
  return IsSingleConversion(format, 'f') ? FormatOne(format, value) : QString();
}

QString FormatC(const char* format, ...) {
  CNumericLocale c;
  va_list args;
  va_start(args, format);
  const std::string text = FormatV(format, args);
  va_end(args);
  return QString::fromStdString(text);
}

std::optional<int> ScanInt(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  const char* begin = bytes.constData();
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(begin, &end, 10);
  if (end == begin) return std::nullopt;
  if (v < INT_MIN) return INT_MIN;
  if (v > INT_MAX) return INT_MAX;
  return static_cast<int>(v);
}

std::optional<float> ScanFloat(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  const char* begin = bytes.constData();
  char* end = nullptr;
  float v = 0;
  {
    CNumericLocale c;
    v = std::strtof(begin, &end);
  }
  if (end == begin || std::isnan(v)) return std::nullopt;
  return v;
}

QString RemoveWhiteSpace(const QString& text) {
  QString kept;
  kept.reserve(text.size());
  for (const QChar ch : text) {
    // The C locale's white space, whatever the user's locale says.
    const ushort u = ch.unicode();
    if (u == ' ' || (u >= '\t' && u <= '\r')) continue;
    kept.append(ch);
  }
  return kept;
}

}  // namespace brisol
