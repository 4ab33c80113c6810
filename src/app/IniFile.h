// The settings file as text: sections of "KEY=value" lines. Sections and
// keys are found whatever their letter case; a value is only ever the plain
// text after "=" (quotes and backslash escapes as earlier versions wrote
// them are undone), and a number is the leading digits of that text, in
// 64-bit arithmetic. Nothing in the file is ever turned into anything but
// text and numbers, so a hand-edited or damaged file cannot make the program
// build objects from it.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brisol {

class CIniFile {
 public:
  explicit CIniFile(QString path);

  // Reads the file; false (and nothing held) when it cannot be read. A file
  // larger than any settings file could be is not read either.
  bool Load();
  // Writes every section and key held, replacing the file only once the new
  // one is complete; false when that fails.
  bool Save() const;

  // The value's text, or nothing when the key is missing.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  std::string GetString(std::string_view section, std::string_view key, const std::string& fallback) const;
  // The leading digits (after white space and a sign) of the value; 0 when
  // none come first; the fallback when the key is missing. Beyond the range
  // of 64 bits the nearest value.
  long long GetNumber(std::string_view section, std::string_view key, long long fallback) const;

  // Sets a value, keeping the spelling of a section or key already present.
  void Set(std::string_view section, std::string_view key, const std::string& value);
  void Set(std::string_view section, std::string_view key, long long value);

  // The file's text for these sections and keys.
  std::string Text() const;

  // The number at the start of the text, as GetNumber reads it.
  static long long LeadingNumber(std::string_view text);
  // A value as written in the file, and read back.
  static std::string Escape(const std::string& value);
  static std::string Unescape(std::string_view text);

 private:
  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  Section* FindSection(std::string_view name);
  const Section* FindSection(std::string_view name) const;

  QString m_path;
  std::vector<Section> m_sections;
};

}  // namespace brisol
