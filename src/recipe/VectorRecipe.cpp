#include "recipe/VectorRecipe.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>

#include "imageio/codecs/ImageCodec.h"
#include "recipe/Recipe.h"

namespace brisol {
namespace {

constexpr std::size_t npos = std::string_view::npos;

// The bytes at offset, at most n of them (fewer at the end of the file).
std::string Window(const ReadBytesAt& read, std::uint64_t size, std::uint64_t offset, std::size_t n) {
  if (offset >= size) return {};
  n = static_cast<std::size_t>(std::min<std::uint64_t>(n, size - offset));
  std::string bytes(n, '\0');
  bytes.resize(read(offset, reinterpret_cast<std::uint8_t*>(bytes.data()), n));
  return bytes;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
    return;
  }
  const int extra = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
  static constexpr unsigned char kLead[] = {0, 0xC0, 0xE0, 0xF0};
  out += static_cast<char>(kLead[extra] | (cp >> (6 * extra)));
  for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F));
}

// A whole unsigned decimal number, or nothing.
std::optional<std::uint64_t> Number(std::string_view text, int base = 10) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// ---- SVG and PostScript ----

// The recipe of an SVG or PostScript file is near its start: this much is
// read first, and at most this much is looked through (a recipe's text with
// every character escaped; a recipe's lines, each at most 255 characters,
// and the header comments around them).
constexpr std::size_t kFirstHeadBytes = 16 * 1024;
constexpr std::size_t kSvgHeadBytes = 8 * kMaxRecipeBytes, kPsHeadBytes = 2 * kMaxRecipeBytes;

// ---- PDF ----

// "startxref" is looked for in this many last bytes of a PDF file.
constexpr std::size_t kPdfTailBytes = 1024;
// A line of a cross-reference table, or the start of an object.
constexpr std::size_t kPdfLineBytes = 64;
// A trailer dictionary is at most this long.
constexpr std::size_t kPdfTrailerBytes = 4096;
// The document information object, its recipe of four hex digits
// a character (UTF-16) beside the other entries.
constexpr std::size_t kPdfObjectBytes = 8 * kMaxRecipeBytes + 4096;
// Cross-reference subsections followed.
constexpr std::size_t kMaxPdfSubsections = 4096;

bool IsWhite(char c) { return c == 0 || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' '; }
bool IsDelimiter(char c) { return c != 0 && std::strchr("()<>[]{}/%", c) != nullptr; }

// Past white space and comments.
std::size_t SkipWhite(std::string_view s, std::size_t i) {
  while (i < s.size()) {
    if (IsWhite(s[i])) {
      ++i;
    } else if (s[i] == '%') {
      while (i < s.size() && s[i] != '\n' && s[i] != '\r') ++i;
    } else {
      break;
    }
  }
  return i;
}

// The end of the literal string whose '(' is at i, or npos.
std::size_t LiteralEnd(std::string_view s, std::size_t i) {
  int depth = 0;
  for (; i < s.size(); ++i) {
    if (s[i] == '\\') {
      ++i;
    } else if (s[i] == '(') {
      ++depth;
    } else if (s[i] == ')' && --depth == 0) {
      return i + 1;
    }
  }
  return npos;
}

// The end of the object that begins at i: a string, a dictionary, an array,
// a name or a plain token (a number, a keyword); npos when it is cut off,
// nests too deep or begins with a stray delimiter.
std::size_t ObjectEnd(std::string_view s, std::size_t i, int depth = 0) {
  if (i >= s.size() || depth > 32) return npos;
  const char c = s[i];
  if (c == '(') return LiteralEnd(s, i);
  const bool dictionary = s.substr(i, 2) == "<<";
  if (dictionary || c == '[') {
    i += dictionary ? 2 : 1;
    for (;;) {
      i = SkipWhite(s, i);
      if (i >= s.size()) return npos;
      if (dictionary && s.substr(i, 2) == ">>") return i + 2;
      if (!dictionary && s[i] == ']') return i + 1;
      i = ObjectEnd(s, i, depth + 1);
      if (i == npos) return npos;
    }
  }
  if (c == '<') {
    const std::size_t end = s.find('>', i);
    return end == npos ? npos : end + 1;
  }
  if (c == '/')
    ++i;
  else if (IsDelimiter(c))
    return npos;
  while (i < s.size() && !IsWhite(s[i]) && !IsDelimiter(s[i])) ++i;
  return i;
}

// The plain token at i and where it ends.
std::pair<std::string_view, std::size_t> Token(std::string_view s, std::size_t i) {
  i = SkipWhite(s, i);
  const std::size_t end = ObjectEnd(s, i);
  if (end == npos) return {{}, npos};
  return {s.substr(i, end - i), end};
}

struct PdfRef {
  std::uint64_t number = 0;
};

// "n g R" at the start of a value.
std::optional<PdfRef> Reference(std::string_view value) {
  const auto [number, a] = Token(value, 0);
  if (a == npos) return std::nullopt;
  const auto [generation, b] = Token(value, a);
  if (b == npos) return std::nullopt;
  const auto [r, c] = Token(value, b);
  if (c == npos || r != "R" || !Number(generation) || !Number(number)) return std::nullopt;
  return PdfRef{*Number(number)};
}

// The value of key in the dictionary whose "<<" is at i ("n g R" whole), or
// nothing when the key is missing or the dictionary is broken.
std::optional<std::string_view> DictValue(std::string_view s, std::size_t i, std::string_view key) {
  if (s.substr(i, 2) != "<<") return std::nullopt;
  i += 2;
  for (;;) {
    i = SkipWhite(s, i);
    if (i >= s.size() || s[i] != '/') return std::nullopt;  // the end ">>" or a broken dictionary
    const std::size_t nameEnd = ObjectEnd(s, i);
    const std::string_view name = s.substr(i + 1, nameEnd - i - 1);
    const std::size_t value = SkipWhite(s, nameEnd);
    std::size_t end = ObjectEnd(s, value);
    if (end == npos) return std::nullopt;
    if (Number(s.substr(value, end - value))) {
      const auto [generation, g] = Token(s, end);
      if (g != npos && Number(generation)) {
        const auto [r, rEnd] = Token(s, g);
        if (r == "R") end = rEnd;
      }
    }
    if (name == key) return s.substr(value, end - value);
    i = end;
  }
}

// The bytes of a literal string, its outer parentheses included.
std::string LiteralBytes(std::string_view token) {
  std::string out;
  const std::size_t last = token.size() - 1;  // the closing ')'
  for (std::size_t i = 1; i < last; ++i) {
    const char c = token[i];
    if (c == '\r') {
      out += '\n';
      if (token[i + 1] == '\n') ++i;
    } else if (c != '\\') {
      out += c;
    } else {
      static constexpr std::string_view kLetters = "nrtbf", kMeant = "\n\r\t\b\f";
      const char e = token[++i];  // LiteralEnd has made sure a character follows
      if (const std::size_t k = kLetters.find(e); k != npos) {
        out += kMeant[k];
      } else if (e == '\r' || e == '\n') {
        if (e == '\r' && token[i + 1] == '\n') ++i;  // a line end escaped: the string goes on
      } else if (e >= '0' && e <= '7') {
        unsigned value = static_cast<unsigned>(e - '0');
        for (int k = 0; k < 2 && i + 1 < last && token[i + 1] >= '0' && token[i + 1] <= '7'; ++k)
          value = value * 8 + static_cast<unsigned>(token[++i] - '0');
        out += static_cast<char>(value & 0xFF);
      } else {
        out += e;  // \( \) \\ and any other character stand for themselves
      }
    }
  }
  return out;
}

std::optional<std::string> HexBytes(std::string_view token) {
  std::string out;
  int high = -1;
  for (const char c : token.substr(1, token.size() - 2)) {
    if (IsWhite(c)) continue;
    const auto digit = Number(std::string_view(&c, 1), 16);
    if (!digit) return std::nullopt;
    if (high < 0) {
      high = static_cast<int>(*digit);
    } else {
      out += static_cast<char>(high * 16 + static_cast<int>(*digit));
      high = -1;
    }
  }
  if (high >= 0) out += static_cast<char>(high * 16);
  return out;
}

std::string TextOfPdfBytes(std::string_view bytes) {
  std::string out;
  if (bytes.starts_with("\xFE\xFF")) {
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      char32_t unit = (static_cast<unsigned char>(bytes[i]) << 8) | static_cast<unsigned char>(bytes[i + 1]);
      if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
        const char32_t low = (static_cast<unsigned char>(bytes[i + 2]) << 8) | static_cast<unsigned char>(bytes[i + 3]);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
          i += 2;
        }
      }
      AppendUtf8(out, unit);
    }
    return out;
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) return std::string(bytes.substr(3));
  for (const char c : bytes) AppendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

// A PDF file read from its end: its cross-reference sections, newest first.
class PdfFile {
 public:
  PdfFile(const ReadBytesAt& read, std::uint64_t size) : m_read(read), m_size(size) {}

  // Where the document information dictionary is, or nothing when the file
  // has none; a code other than kImgOk when the file cannot be followed.
  int Info(std::optional<PdfRef>& info) {
    return Walk([&](const Section& section) {
      const std::optional<std::string_view> value = DictValue(section.trailer, 0, "Info");
      if (value) info = Reference(*value);
      return value.has_value();
    });
  }

  // The object's text after its "n g obj" (at most kPdfObjectBytes in all),
  // or empty when the file does not have it.
  int Object(PdfRef ref, std::string& text) {
    std::optional<std::uint64_t> entryAt;
    int rc = Walk([&](const Section& section) {
      for (const Subsection& sub : section.subsections) {
        if (ref.number >= sub.first && ref.number - sub.first < sub.count) {
          entryAt = sub.entries + (ref.number - sub.first) * 20;
          return true;
        }
      }
      return false;
    });
    if (rc != kImgOk || !entryAt) return rc;
    const std::string entry = Window(m_read, m_size, *entryAt, 20);
    if (entry.size() < 18) return kImgErrRead;
    if (entry[17] == 'f') return kImgOk;  // a free entry: no such object
    const std::optional<std::uint64_t> offset = Number(std::string_view(entry).substr(0, 10));
    if (!offset || entry[17] != 'n') return kImgErrCorrupt;
    text = Window(m_read, m_size, *offset, kPdfObjectBytes);
    const auto [number, a] = Token(text, 0);
    const auto [generation, b] = Token(text, a == npos ? text.size() : a);
    const auto [keyword, c] = Token(text, b == npos ? text.size() : b);
    if (c == npos || Number(number) != ref.number || !Number(generation) || keyword != "obj") {
      text.clear();
      return *offset >= m_size || c == npos ? kImgErrRead : kImgErrCorrupt;
    }
    text.erase(0, c);
    return kImgOk;
  }

 private:
  struct Subsection {
    std::uint64_t first = 0, count = 0;
    std::uint64_t entries = 0;  // where the first entry is
  };
  struct Section {
    std::vector<Subsection> subsections;
    std::string trailer;  // from its "<<" on
  };

  // Reads the sections from the newest until visit returns true or the
  // oldest has been read.
  int Walk(const std::function<bool(const Section&)>& visit) {
    const std::uint64_t tailAt = m_size > kPdfTailBytes ? m_size - kPdfTailBytes : 0;
    const std::string tail = Window(m_read, m_size, tailAt, kPdfTailBytes);
    const std::size_t mark = tail.rfind("startxref");
    if (mark == npos) return kImgErrRead;
    const auto [offset, end] = Token(tail, mark + 9);
    if (end == npos) return kImgErrRead;
    std::optional<std::uint64_t> at = Number(offset);
    if (!at) return kImgErrCorrupt;
    std::vector<std::uint64_t> seen;
    while (at) {
      if (std::find(seen.begin(), seen.end(), *at) != seen.end()) return kImgErrCorrupt;  // a loop
      if (seen.size() == kMaxPdfSections) return kImgErrTooLarge;
      seen.push_back(*at);
      Section section;
      if (const int rc = ReadSection(*at, section); rc != kImgOk) return rc;
      if (visit(section)) return kImgOk;
      const std::optional<std::string_view> previous = DictValue(section.trailer, 0, "Prev");
      at = previous ? Number(*previous) : std::nullopt;
      if (previous && !at) return kImgErrCorrupt;
    }
    return kImgOk;
  }

  // Whether "n g obj" at is a stream of packed cross-references.
  bool IsXrefStream(std::uint64_t at) const {
    const std::string start = Window(m_read, m_size, at, kPdfTrailerBytes);
    const auto [number, a] = Token(start, 0);
    const auto [generation, b] = Token(start, a == npos ? start.size() : a);
    const auto [keyword, c] = Token(start, b == npos ? start.size() : b);
    if (c == npos || !Number(number) || !Number(generation) || keyword != "obj") return false;
    return DictValue(start, SkipWhite(start, c), "Type") == "/XRef";
  }

  int ReadSection(std::uint64_t at, Section& section) {
    if (at >= m_size) return kImgErrCorrupt;
    const std::string start = Window(m_read, m_size, at, kPdfLineBytes);
    const auto [keyword, end] = Token(start, 0);
    if (keyword != "xref") return IsXrefStream(at) ? kImgErrUnsupported : kImgErrCorrupt;
    std::uint64_t pos = at + end;
    for (;;) {
      const std::string line = Window(m_read, m_size, pos, kPdfLineBytes);
      const bool cut = pos + line.size() >= m_size;
      const auto [first, a] = Token(line, 0);
      if (first == "trailer") {
        pos += a;
        break;
      }
      const auto [count, b] = Token(line, a == npos ? line.size() : a);
      const std::optional<std::uint64_t> firstNumber = Number(first), countNumber = Number(count);
      if (b == npos || !firstNumber || !countNumber) return cut ? kImgErrRead : kImgErrCorrupt;
      if (section.subsections.size() == kMaxPdfSubsections) return kImgErrCorrupt;
      const std::uint64_t entries = pos + SkipWhite(line, b);
      if (*countNumber > m_size / 20 || entries + *countNumber * 20 > m_size) return kImgErrRead;
      section.subsections.push_back({*firstNumber, *countNumber, entries});
      pos = entries + *countNumber * 20;
    }
    section.trailer = Window(m_read, m_size, pos, kPdfTrailerBytes);
    const std::size_t open = SkipWhite(section.trailer, 0);
    section.trailer.erase(0, open);
    if (ObjectEnd(section.trailer, 0) == npos || !section.trailer.starts_with("<<"))
      return pos + open + section.trailer.size() >= m_size ? kImgErrRead : kImgErrCorrupt;
    return kImgOk;
  }

  const ReadBytesAt& m_read;
  std::uint64_t m_size;
};

// The texts of the <metadata> elements in the start of an SVG file (the
// whole file when whole).
int MetadataIn(std::string_view head, bool whole, std::vector<PictureText>& texts) {
  static constexpr std::string_view kOpen = "<metadata", kClose = "</metadata";
  for (std::size_t at = 0; (at = head.find(kOpen, at)) != npos;) {
    at += kOpen.size();
    if (at == head.size()) return whole ? kImgErrRead : kImgOk;
    if (head[at] != '>' && head[at] != '/' && !IsWhite(head[at])) continue;  // another element's name
    const std::size_t open = head.find('>', at);
    if (open == npos) return whole ? kImgErrRead : kImgErrCorrupt;
    if (head[open - 1] == '/') continue;  // <metadata/>
    const std::size_t close = head.find(kClose, open);
    if (close == npos) return whole ? kImgErrRead : kImgErrCorrupt;
    texts.push_back({{}, XmlCharacterData(head.substr(open + 1, close - open - 1))});
    at = close + kClose.size();
  }
  if (whole && head.find("</svg") == npos) return kImgErrRead;
  return kImgOk;
}

// The recipe's comment lines among the header comments of a PostScript
// file's start (the whole file when whole), once the header has ended.
int RecipeCommentsIn(std::string_view head, bool whole, std::vector<PictureText>& texts) {
  static constexpr std::string_view kComment = "%BrisolRecipe: ";
  std::string text;
  bool ended = false;
  for (std::size_t at = 0; at < head.size();) {
    const std::size_t end = head.find_first_of("\r\n", at);
    if (end == npos) break;  // a line cut off
    const std::string_view line = head.substr(at, end - at);
    if (line.starts_with(kComment)) {
      text.append(line.substr(kComment.size())).append("\n");
    } else if (at > 0 && (line == "%%EndComments" || !line.starts_with("%"))) {
      ended = true;
      break;
    }
    at = end + (head.substr(end, 2) == "\r\n" ? 2 : 1);
  }
  // Lines of a header cut off may be missing or cut themselves.
  if (!ended) return whole ? kImgErrRead : kImgErrCorrupt;
  if (!text.empty()) texts.push_back({{}, std::move(text)});
  return kImgOk;
}

// Reads a growing start of a file (kFirstHeadBytes, then four times as
// much each time, up to most) and has look find its texts there, until one
// of them may be a recipe (it begins "format") or the whole file or most
// bytes have been looked through.
int InGrowingHead(const ReadBytesAt& read, std::uint64_t size, std::size_t most,
                  int (*look)(std::string_view head, bool whole, std::vector<PictureText>& texts),
                  std::vector<PictureText>& texts) {
  for (std::size_t want = std::min(kFirstHeadBytes, most);; want = std::min(want * 4, most)) {
    const std::string head = Window(read, size, 0, want);
    if (head.size() < std::min<std::uint64_t>(size, want)) return kImgErrRead;
    std::vector<PictureText> found;
    const int rc = look(head, head.size() == size, found);
    const bool recipe =
        std::any_of(found.begin(), found.end(), [](const PictureText& t) { return t.text.starts_with("format"); });
    if (recipe || head.size() == size || want == most) {
      texts.insert(texts.end(), found.begin(), found.end());
      return rc;
    }
  }
}

}  // namespace

std::string XmlCharacterData(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kNamed[] = {
      {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
  static constexpr std::string_view kCdata = "<![CDATA[";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text.substr(i).starts_with(kCdata)) {
      const std::size_t end = std::min(text.find("]]>", i), text.size());
      out.append(text.substr(i + kCdata.size(), end - std::min(end, i + kCdata.size())));
      i = std::min(end + 3, text.size());
      continue;
    }
    if (text[i] == '\r') {  // line ends as XML reads them
      out += '\n';
      i += text.substr(i, 2) == "\r\n" ? 2 : 1;
      continue;
    }
    // A reference is short: its ';' is looked for close by, not to the end
    // (a text full of '&' took seconds).
    const std::size_t near = text[i] == '&' ? text.substr(i, 13).find(';') : npos;
    const std::size_t semi = near == npos ? npos : i + near;
    if (semi == npos) {
      out += text[i++];
      continue;
    }
    const std::string_view name = text.substr(i + 1, semi - i - 1);
    const auto named =
        std::find_if(std::begin(kNamed), std::end(kNamed), [&](const auto& n) { return n.first == name; });
    std::optional<std::uint64_t> code;
    if (name.starts_with("#x"))
      code = Number(name.substr(2), 16);
    else if (name.starts_with("#"))
      code = Number(name.substr(1));
    if (named != std::end(kNamed)) {
      out += named->second;
    } else if (code) {
      AppendUtf8(out, static_cast<char32_t>(std::min<std::uint64_t>(*code, 0x110000)));
    } else {
      out += text[i++];
      continue;
    }
    i = semi + 1;
  }
  return out;
}

std::optional<std::string> PdfStringText(std::string_view token) {
  if (token.starts_with("(")) {
    if (LiteralEnd(token, 0) != token.size()) return std::nullopt;
    return TextOfPdfBytes(LiteralBytes(token));
  }
  if (token.size() >= 2 && token.starts_with("<") && !token.starts_with("<<") && token.ends_with(">") &&
      token.find('>') == token.size() - 1) {
    const std::optional<std::string> bytes = HexBytes(token);
    if (bytes) return TextOfPdfBytes(*bytes);
  }
  return std::nullopt;
}

int ReadSvgMetadata(const ReadBytesAt& read, std::uint64_t size, std::vector<PictureText>& texts) {
  return InGrowingHead(read, size, kSvgHeadBytes, MetadataIn, texts);
}

int ReadPdfSubject(const ReadBytesAt& read, std::uint64_t size, std::vector<PictureText>& texts) {
  PdfFile pdf(read, size);
  std::optional<PdfRef> info;
  if (const int rc = pdf.Info(info); rc != kImgOk || !info) return rc;
  std::string object;
  if (const int rc = pdf.Object(*info, object); rc != kImgOk || object.empty()) return rc;
  const std::size_t open = SkipWhite(object, 0);
  if (ObjectEnd(object, open) == npos) return object.size() < kPdfObjectBytes ? kImgErrRead : kImgErrCorrupt;
  // The recipe's own entry; older files kept it as the Subject.
  std::optional<std::string_view> subject = DictValue(object, open, "BrisolRecipe");
  if (!subject) subject = DictValue(object, open, "Subject");
  std::string indirect;
  if (subject) {
    if (const std::optional<PdfRef> ref = Reference(*subject)) {
      if (const int rc = pdf.Object(*ref, indirect); rc != kImgOk) return rc;
      const auto [value, end] = Token(indirect, 0);
      subject = end == npos ? std::nullopt : std::optional(value);
    }
  }
  if (!subject) return kImgOk;
  const std::optional<std::string> text = PdfStringText(*subject);
  if (!text) return kImgErrCorrupt;
  texts.push_back({{}, *text});
  return kImgOk;
}

int ReadPostScriptRecipe(const ReadBytesAt& read, std::uint64_t size, std::vector<PictureText>& texts) {
  return InGrowingHead(read, size, kPsHeadBytes, RecipeCommentsIn, texts);
}

}  // namespace brisol
