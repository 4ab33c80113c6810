#include "recipe/Recipe.h"

#include <strings.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>

#include "effect/EffectParams.h"

namespace brisol {
namespace {

// Reading stops after this many errors: a file that is no recipe at all
// needs only a few lines to say so.
constexpr std::size_t kMaxErrors = 20;
// Warnings told one by one; the rest are counted in one more line.
constexpr std::size_t kMaxWarnings = 20;
constexpr std::size_t kMaxQuoted = 60;

std::size_t IndexOf(const EffectParam& param) { return static_cast<std::size_t>(&param - EffectParams().data()); }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The length of the UTF-8 sequence at s[i], or 0 when none starts there.
std::size_t Utf8Length(std::string_view s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return 1;
  std::size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
  if (c >= 0xF5 || n == 0 || i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
  return n;
}

// A name as one line of printable UTF-8.
std::string OneLineName(std::string_view name) {
  std::string out;
  for (std::size_t i = 0; i < name.size();) {
    const auto c = static_cast<unsigned char>(name[i]);
    const std::size_t n = Utf8Length(name, i);
    // C0 and C1 control characters (U+0080 to U+009F: 0xC2 0x80..0x9F).
    const bool c1 = n == 2 && c == 0xC2 && static_cast<unsigned char>(name[i + 1]) < 0xA0;
    if (n == 0 || c < 0x20 || c == 0x7F || c1) {
      out += '?';
      i += c1 ? 2 : 1;
    } else {
      out.append(name.substr(i, n));
      i += n;
    }
  }
  return std::string(Trim(out));
}

// A value quoted in a message: short, and printable.
std::string Quoted(std::string_view value) {
  std::string shown = OneLineName(value.substr(0, kMaxQuoted));
  if (value.size() > kMaxQuoted) shown += "...";
  return "'" + shown + "'";
}

bool ParseWhole(std::string_view text, long long min, long long max, long long& value) {
  if (text.empty() || text.front() == '+') return false;
  long long v = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (error != std::errc() || end != text.data() + text.size() || v < min || v > max) return false;
  value = v;
  return true;
}

bool IsHexDigest(std::string_view text) {
  if (text.size() != 64) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// The longest file or folder name of the system's file systems.
constexpr std::size_t kMaxNameBytes = 255;

bool IsPlainName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxNameBytes && name != "." && name != ".." &&
         name.find('/') == std::string_view::npos;
}

// Reads the lines into a recipe, one key at a time.
class Reader {
 public:
  RecipeRead Read(std::string_view text);

 private:
  void Line(std::size_t number, std::string_view line);
  // A key's value; false when the value is not accepted (the error is added).
  bool Value(const std::string& key, std::string_view value);
  void Bad(std::string_view key, std::string_view value, const std::string& accepted) {
    Error("bad value " + Quoted(value) + " for " + std::string(key) + " (accepted: " + accepted + ")");
  }
  void Error(const std::string& text) { m_result.errors.push_back(Where() + text); }
  void Warning(const std::string& text) {
    if (m_result.warnings.size() < kMaxWarnings)
      m_result.warnings.push_back(Where() + text);
    else
      ++m_moreWarnings;
  }
  std::string Where() const { return "line " + std::to_string(m_line) + ": "; }

  RecipeRead m_result;
  Recipe m_recipe;
  std::vector<std::string> m_seen;
  std::size_t m_line = 0;
  bool m_formatSeen = false;
  bool m_stop = false;
  std::size_t m_moreWarnings = 0;
};

RecipeRead Reader::Read(std::string_view text) {
  if (text.size() > kMaxRecipeBytes) {
    m_result.errors.push_back("the recipe is longer than " + std::to_string(kMaxRecipeBytes) + " bytes");
    return std::move(m_result);
  }
  // Editors on some systems begin a UTF-8 text with a byte order mark.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::size_t number = 0;
  while (!text.empty() && !m_stop && m_result.errors.size() < kMaxErrors) {
    const std::size_t end = text.find('\n');
    Line(++number, text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  if (!m_formatSeen && m_result.errors.empty()) {
    m_result.errors.push_back("not a Brisol recipe: it must begin with 'format = " + std::to_string(Recipe::kFormat) +
                              "'");
  }
  if (m_moreWarnings > 0)
    m_result.warnings.push_back("and " + std::to_string(m_moreWarnings) + " more warnings like these");
  if (m_result.errors.empty()) m_result.recipe = std::move(m_recipe);
  return std::move(m_result);
}

void Reader::Line(std::size_t number, std::string_view line) {
  m_line = number;
  line = Trim(line);
  if (line.empty() || line.front() == '#') return;
  for (char c : line) {
    if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) {
      if (!m_formatSeen) break;  // told below as no recipe at all
      Error("the line holds a control character");
      return;
    }
  }
  const std::size_t eq = line.find('=');
  const std::string key = eq == std::string_view::npos ? std::string() : Lower(Trim(line.substr(0, eq)));
  if (!m_formatSeen && key != "format") {
    m_result.errors.push_back("not a Brisol recipe: it must begin with 'format = " + std::to_string(Recipe::kFormat) +
                              "'");
    m_stop = true;
    return;
  }
  if (eq == std::string_view::npos || key.empty()) {
    Error(Quoted(line) + " is not a 'key = value' line");
    return;
  }
  const std::string_view value = Trim(line.substr(eq + 1));
  const bool again = std::find(m_seen.begin(), m_seen.end(), key) != m_seen.end();
  if (Value(key, value) && again) Warning(key + " is given again; this value is used");
  m_seen.push_back(key);
}

bool Reader::Value(const std::string& key, std::string_view value) {
  long long n = 0;
  if (key == "format") {
    if (m_formatSeen) {
      Error("format is given again");
      return false;
    }
    m_formatSeen = true;
    if (ParseWhole(value, 1, 1000000, n) && n > Recipe::kFormat) {
      Error("format " + std::to_string(n) + " is newer than this Brisol reads (" + std::to_string(Recipe::kFormat) +
            "); a newer Brisol made it");
      m_stop = true;
      return false;
    }
    if (n != Recipe::kFormat) {
      Bad(key, value, std::to_string(Recipe::kFormat));
      m_stop = true;
      return false;
    }
    return true;
  }
  if (key == "collection" || key == "photo") {
    if (!IsPlainName(value)) {
      Bad(key, value,
          key == "photo" ? "a file name without '/', at most 255 bytes"
                         : "a collection's name without '/', at most 255 bytes");
      return false;
    }
    (key == "photo" ? m_recipe.photo : m_recipe.collection) = std::string(value);
    return true;
  }
  if (key == "collection-sha256" || key == "photo-sha256") {
    if (!IsHexDigest(value)) {
      Bad(key, value, "64 hexadecimal digits");
      return false;
    }
    (key == "photo-sha256" ? m_recipe.photoSha256 : m_recipe.collectionSha256) = Lower(value);
    return true;
  }
  if (key == "seed") {
    if (!ParseWhole(value, -2147483648LL, 4294967295LL, n)) {
      Bad(key, value, "whole numbers -2147483648 to 4294967295");
      return false;
    }
    m_recipe.seed = static_cast<int>(static_cast<std::uint32_t>(n));
    return true;
  }
  if (key == "quality" || key == "jpeg-quality") {
    const bool jpeg = key == "jpeg-quality";
    if (!ParseWhole(value, jpeg ? 1 : Recipe::kMinQuality, jpeg ? 100 : Recipe::kMaxQuality, n)) {
      Bad(key, value, jpeg ? "whole numbers 1 to 100" : "1 or 2");
      return false;
    }
    (jpeg ? m_recipe.jpegQuality : m_recipe.quality) = static_cast<int>(n);
    return true;
  }
  const EffectParam* param = FindEffectParam(key);
  if (param == nullptr || key.starts_with("--")) {
    Warning("unknown key " + Quoted(key) + " left out");
    return false;
  }
  double v = 0;
  if (!ParseParamValue(*param, value, v) || !ParamValueInRange(*param, v)) {
    Bad(key, value, AcceptedValuesText(*param));
    return false;
  }
  m_recipe.SetValue(*param, v);
  return true;
}

}  // namespace

Recipe::Recipe() {
  for (const EffectParam& p : EffectParams()) values.push_back(p.defaultValue);
}

double Recipe::Value(const EffectParam& param) const { return values.at(IndexOf(param)); }

void Recipe::SetValue(const EffectParam& param, double value) { values.at(IndexOf(param)) = value; }

std::vector<RecipeEntry> RecipeEntries(const Recipe& recipe) {
  std::vector<RecipeEntry> entries;
  auto number = [&entries](std::string_view key, int value) { entries.push_back({key, std::to_string(value), true}); };
  auto text = [&entries](std::string_view key, std::string value) {
    if (!value.empty()) entries.push_back({key, std::move(value), false});
  };
  auto name = [&text](std::string_view key, std::string_view value) {
    if (std::string line = OneLineName(value); IsPlainName(line)) text(key, std::move(line));
  };
  number("format", Recipe::kFormat);
  name("collection", recipe.collection);
  text("collection-sha256", recipe.collectionSha256);
  if (recipe.seed) number("seed", *recipe.seed);
  if (recipe.quality) number("quality", *recipe.quality);
  for (const EffectParam& p : EffectParams()) {
    entries.push_back(
        {p.key, FormatParamValue(p, recipe.Value(p)), p.kind == ParamKind::Real || p.kind == ParamKind::Count});
  }
  if (recipe.jpegQuality) number("jpeg-quality", *recipe.jpegQuality);
  name("photo", recipe.photo);
  text("photo-sha256", recipe.photoSha256);
  return entries;
}

std::string RecipeText(const Recipe& recipe) {
  std::string text;
  for (const RecipeEntry& entry : RecipeEntries(recipe))
    text.append(entry.key).append(" = ").append(entry.value) += '\n';
  return text;
}

std::string RecipeRead::ErrorText() const {
  std::string text;
  for (const std::string& e : errors) text += (text.empty() ? "" : "; ") + e;
  return text;
}

RecipeRead ParseRecipe(std::string_view text) { return Reader().Read(text); }

}  // namespace brisol
