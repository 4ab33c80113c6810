#include "app/IniFile.h"

#include <strings.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <climits>

namespace brisol {
namespace {

// No settings file comes near this; a larger one is not the program's.
constexpr qint64 kMaxFileBytes = 1 << 20;

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string_view Trim(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

CIniFile::CIniFile(QString path) : m_path(std::move(path)) {}

bool CIniFile::Load() {
  m_sections.clear();
  QFile file(m_path);
  const QFileInfo info(m_path);
  if (!info.isFile() || info.size() > kMaxFileBytes || !file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.read(kMaxFileBytes);
  const std::string_view text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  Section* current = nullptr;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      const std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
      current = FindSection(name);
      if (current == nullptr) {
        m_sections.push_back(Section{std::string(name), {}});
        current = &m_sections.back();
      }
      continue;
    }
    const std::size_t equals = line.find('=');
    if (current == nullptr || equals == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.empty()) continue;
    const std::string value = Unescape(Trim(line.substr(equals + 1)));
    // Of two lines for one key the first counts, as a reader searching from
    // the top finds it.
    bool known = false;
    for (const Entry& entry : current->entries) known = known || SameName(entry.key, key);
    if (!known) current->entries.push_back(Entry{std::string(key), value});
  }
  return true;
}

bool CIniFile::Save() const {
  QDir().mkpath(QFileInfo(m_path).absolutePath());
  QSaveFile file(m_path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  const std::string text = Text();
  if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

std::string CIniFile::Text() const {
  std::string text;
  for (const Section& section : m_sections) {
    if (!text.empty()) text += '\n';
    text += '[' + section.name + "]\n";
    for (const Entry& entry : section.entries) text += entry.key + '=' + Escape(entry.value) + '\n';
  }
  return text;
}

CIniFile::Section* CIniFile::FindSection(std::string_view name) {
  for (Section& section : m_sections)
    if (SameName(section.name, name)) return &section;
  return nullptr;
}

const CIniFile::Section* CIniFile::FindSection(std::string_view name) const {
  for (const Section& section : m_sections)
    if (SameName(section.name, name)) return &section;
  return nullptr;
}

std::optional<std::string> CIniFile::Get(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (s == nullptr) return std::nullopt;
  for (const Entry& entry : s->entries)
    if (SameName(entry.key, key)) return entry.value;
  return std::nullopt;
}

std::string CIniFile::GetString(std::string_view section, std::string_view key, const std::string& fallback) const {
  return Get(section, key).value_or(fallback);
}

long long CIniFile::GetNumber(std::string_view section, std::string_view key, long long fallback) const {
  const std::optional<std::string> value = Get(section, key);
  return value ? LeadingNumber(*value) : fallback;
}

void CIniFile::Set(std::string_view section, std::string_view key, const std::string& value) {
  Section* s = FindSection(section);
  if (s == nullptr) {
    m_sections.push_back(Section{std::string(section), {}});
    s = &m_sections.back();
  }
  for (Entry& entry : s->entries) {
    if (SameName(entry.key, key)) {
      entry.value = value;
      return;
    }
  }
  s->entries.push_back(Entry{std::string(key), value});
}

void CIniFile::Set(std::string_view section, std::string_view key, long long value) {
  Set(section, key, std::to_string(value));
}

long long CIniFile::LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulated as a negative number, whose range is the larger one.
  long long value = 0;
  bool saturated = false;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    if (value < (LLONG_MIN + digit) / 10) {
      saturated = true;
      value = LLONG_MIN;
      continue;
    }
    if (!saturated) value = value * 10 - digit;
  }
  if (negative) return value;
  return value == LLONG_MIN ? LLONG_MAX : -value;
}

std::string CIniFile::Escape(const std::string& value) {
  std::string out;
  bool quote = !value.empty() && (value.front() == ' ' || value.back() == ' ' || value.front() == '\t' ||
                                  value.back() == '\t' || value.find(';') != std::string::npos);
  if (!value.empty() && value.front() == '@') out += '@';
  for (const char c : value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += c;
        break;
    }
  }
  if (value.find(',') != std::string::npos) quote = true;
  return quote ? '"' + out + '"' : out;
}

std::string CIniFile::Unescape(std::string_view text) {
  std::string out;
  // A leading "@" was written twice, so that no value reads as a stored
  // object.
  if (text.size() >= 2 && text[0] == '@' && text[1] == '@') text.remove_prefix(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') continue;
    if (c != '\\' || i + 1 == text.size()) {
      out += c;
      continue;
    }
    const char next = text[++i];
    switch (next) {
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'x': {
        char32_t code = 0;
        int digits = 0;
        while (digits < 4 && i + 1 < text.size() && HexDigit(text[i + 1]) >= 0) {
          code = code * 16 + static_cast<char32_t>(HexDigit(text[++i]));
          ++digits;
        }
        if (digits > 0) AppendUtf8(out, code);
        break;
      }
      default:
        out += next;
        break;
    }
  }
  return out;
}

}  // namespace brisol
