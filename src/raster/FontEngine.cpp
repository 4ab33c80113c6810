#include "raster/FontEngine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "logger/Trace.h"
#include "raster/FigureScratch.h"

namespace brisol {
namespace {

// The FreeType library. Every face keeps it alive; opening and closing faces
// goes through its lock.
struct Library {
  FT_Library lib = nullptr;
  std::mutex mutex;
  Library() {
    if (FT_Init_FreeType(&lib) != 0) lib = nullptr;
  }
  ~Library() {
    if (lib) FT_Done_FreeType(lib);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
};

struct Glyph {
  int left = 0;  // from the pen position to the bitmap's first column
  int top = 0;   // from the baseline up to the bitmap's first row
  int width = 0;
  int rows = 0;
  int pitch = 0;  // bytes per bitmap row, one bit per pixel, high bit first
  int advance = 0;
  std::vector<std::uint8_t> bits;
};

// Which file holds the nearest face to a description.
struct Resolved {
  bool found = false;
  std::string file;
  int index = 0;
  bool embolden = false;  // bold asked for, only a regular face installed
  bool oblique = false;   // italic asked for, only an upright face installed
};

bool IsGenericFamily(const std::string& name) {
  static const char* const kGeneric[] = {"sans-serif", "serif",     "monospace", "sans",
                                         "mono",       "system-ui", "cursive",   "fantasy"};
  for (const char* g : kGeneric)
    if (FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(name.c_str()), reinterpret_cast<const FcChar8*>(g)) == 0)
      return true;
  return false;
}

// Asks fontconfig for the face. A face counts as found when its family is
// the one asked for or one that the configuration binds firmly to it (the
// metric-compatible substitutes, such as Liberation Sans for Arial); the
// general fallbacks that fontconfig adds to every request do not count.
Resolved Resolve(const std::string& name, int weight, bool italic) {
  Resolved result;
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return result;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(std::clamp(weight, 1, 1000)));
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  if (!FcConfigSubstitute(nullptr, pattern, FcMatchPattern)) {
    FcPatternDestroy(pattern);
    return result;
  }
  FcDefaultSubstitute(pattern);

  std::vector<std::string> accepted;
  FcValue value;
  FcValueBinding binding;
  for (int i = 0; FcPatternGetWithBinding(pattern, FC_FAMILY, i, &value, &binding) == FcResultMatch; ++i)
    if (value.type == FcTypeString && binding != FcValueBindingWeak)
      accepted.emplace_back(reinterpret_cast<const char*>(value.u.s));
  const bool anyFace = IsGenericFamily(name);

  FcResult matchResult = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &matchResult);
  FcPatternDestroy(pattern);
  if (!match) return result;

  bool familyOk = anyFace;
  FcChar8* family = nullptr;
  for (int i = 0; !familyOk && FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i)
    for (const std::string& a : accepted)
      if (FcStrCmpIgnoreCase(family, reinterpret_cast<const FcChar8*>(a.c_str())) == 0) familyOk = true;

  FcChar8* file = nullptr;
  if (familyOk && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
    result.found = true;
    result.file = reinterpret_cast<const char*>(file);
    int index = 0;
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) result.index = index;
    int matchedWeight = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(match, FC_WEIGHT, 0, &matchedWeight);
    int matchedSlant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match, FC_SLANT, 0, &matchedSlant);
    result.embolden = weight >= 600 && matchedWeight < FC_WEIGHT_DEMIBOLD;
    result.oblique = italic && matchedSlant == FC_SLANT_ROMAN;
  }
  FcPatternDestroy(match);
  return result;
}

}  // namespace

// A loaded face at one size with the glyphs rendered so far.
class FontFace {
 public:
  FontFace(std::shared_ptr<Library> library, FT_Face face, int ascent, int descent, bool embolden, bool oblique)
      : m_library(std::move(library)),
        m_face(face),
        m_ascent(ascent),
        m_descent(descent),
        m_embolden(embolden),
        m_oblique(oblique) {}
  ~FontFace() {
    const std::lock_guard<std::mutex> lock(m_library->mutex);
    FT_Done_Face(m_face);
  }
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  int Ascent() const { return m_ascent; }
  int CellHeight() const { return m_ascent + m_descent; }
  std::mutex& Mutex() const { return m_mutex; }

  // Loads the outline of a code point's glyph into the face's slot, hinted
  // for one-bit pixels as Render hints it: the outline those pixels sample.
  // Null when the glyph has none. The caller holds Mutex().
  FT_Outline* OutlineFor(char32_t cp) const {
    const FT_UInt index = FT_Get_Char_Index(m_face, cp);
    if (FT_Load_Glyph(m_face, index, FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) != 0) return nullptr;
    FT_GlyphSlot slot = m_face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return nullptr;
    if (m_oblique) FT_GlyphSlot_Oblique(slot);
    if (m_embolden) FT_GlyphSlot_Embolden(slot);
    return &slot->outline;
  }

  // The glyph of a code point (the face's missing-glyph sign when it has
  // none); the caller holds Mutex().
  const Glyph& GlyphFor(char32_t cp) const {
    const auto found = m_glyphs.find(cp);
    if (found != m_glyphs.end()) return found->second;
    return m_glyphs.emplace(cp, Render(cp)).first->second;
  }

 private:
  Glyph Render(char32_t cp) const {
    Glyph g;
    const FT_UInt index = FT_Get_Char_Index(m_face, cp);
    if (FT_Load_Glyph(m_face, index, FT_LOAD_TARGET_MONO) != 0) return g;
    FT_GlyphSlot slot = m_face->glyph;
    if (m_oblique) FT_GlyphSlot_Oblique(slot);
    if (m_embolden) FT_GlyphSlot_Embolden(slot);
    g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return g;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO || bitmap.width == 0 || bitmap.rows == 0) return g;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = static_cast<int>(bitmap.width);
    g.rows = static_cast<int>(bitmap.rows);
    g.pitch = (g.width + 7) / 8;
    g.bits.resize(static_cast<std::size_t>(g.pitch) * g.rows);
    const int sourcePitch = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
    for (int r = 0; r < g.rows; ++r) {
      // A negative pitch means the rows are stored bottom-up.
      const int sourceRow = bitmap.pitch < 0 ? g.rows - 1 - r : r;
      std::copy_n(bitmap.buffer + static_cast<std::ptrdiff_t>(sourceRow) * sourcePitch, g.pitch,
                  g.bits.begin() + static_cast<std::ptrdiff_t>(r) * g.pitch);
    }
    return g;
  }

  std::shared_ptr<Library> m_library;
  FT_Face m_face;
  int m_ascent;
  int m_descent;
  bool m_embolden;
  bool m_oblique;
  mutable std::mutex m_mutex;
  mutable std::unordered_map<char32_t, Glyph> m_glyphs;
};

namespace {

// Faces found and loaded so far. Names resolve once; loaded faces are kept
// for the most recent sizes (fonts still selected somewhere keep theirs).
class FontCache {
 public:
  std::shared_ptr<const FontFace> Open(const std::string& name, int weight, bool italic, int height) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_library->lib) return nullptr;
    std::string lower;
    for (const char c : name) lower += static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    const auto nameKey = std::make_tuple(lower, weight, italic);
    auto resolved = m_resolved.find(nameKey);
    if (resolved == m_resolved.end()) resolved = m_resolved.emplace(nameKey, Resolve(name, weight, italic)).first;
    const Resolved& where = resolved->second;
    if (!where.found) return nullptr;

    const auto faceKey = std::make_tuple(where.file, where.index, where.embolden, where.oblique, height);
    for (auto it = m_recent.begin(); it != m_recent.end(); ++it) {
      if (it->first != faceKey) continue;
      m_recent.splice(m_recent.begin(), m_recent, it);
      return it->second;
    }
    std::shared_ptr<const FontFace> face = Load(where, height);
    if (!face) return nullptr;
    m_recent.emplace_front(faceKey, face);
    if (m_recent.size() > kKeep) m_recent.pop_back();
    return face;
  }

 private:
  static constexpr std::size_t kKeep = 64;
  using FaceKey = std::tuple<std::string, int, bool, bool, int>;

  // Loads the face at the cell height (or, when negative, the character
  // height); the cell is the face's Windows ascent plus descent where it
  // has them, else its typographic ones.
  std::shared_ptr<const FontFace> Load(const Resolved& where, int height) {
    FT_Face face = nullptr;
    {
      const std::lock_guard<std::mutex> lock(m_library->mutex);
      if (FT_New_Face(m_library->lib, where.file.c_str(), where.index, &face) != 0) return nullptr;
    }
    auto fail = [&]() -> std::shared_ptr<const FontFace> {
      const std::lock_guard<std::mutex> lock(m_library->mutex);
      FT_Done_Face(face);
      return nullptr;
    };
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return fail();
    double up = face->ascender, down = -static_cast<double>(face->descender);
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        os2 && os2->usWinAscent + os2->usWinDescent > 0) {
      up = os2->usWinAscent;
      down = os2->usWinDescent;
    }
    if (!(up + down > 0)) {
      up = 0.8 * face->units_per_EM;
      down = 0.2 * face->units_per_EM;
    }
    const double em = face->units_per_EM;
    double ppem, cell;
    if (height > 0) {
      cell = height;
      ppem = height * em / (up + down);
    } else {
      ppem = -static_cast<double>(height);
      cell = std::max(1.0, std::round(ppem * (up + down) / em));
    }
    const FT_F26Dot6 size = std::max<FT_F26Dot6>(64, std::lround(ppem * 64.0));
    if (FT_Set_Char_Size(face, 0, size, 72, 72) != 0) return fail();
    const int ascent = static_cast<int>(std::lround(cell * up / (up + down)));
    const int descent = static_cast<int>(cell) - ascent;
    return std::make_shared<const FontFace>(m_library, face, ascent, descent, where.embolden, where.oblique);
  }

  std::mutex m_mutex;
  std::shared_ptr<Library> m_library = std::make_shared<Library>();
  std::map<std::tuple<std::string, int, bool>, Resolved> m_resolved;
  std::list<std::pair<FaceKey, std::shared_ptr<const FontFace>>> m_recent;
};

FontCache& TheFontCache() {
  static FontCache cache;
  return cache;
}

}  // namespace

Font Font::Create(const LogFont& description) {
  Font font;
  int height = description.height == 0 ? kDefaultFontHeight : description.height;
  if (height > kMaxFontHeight || height < -kMaxFontHeight) {
    TraceMsg("Font::Create: refused height %d\n", description.height);
    return font;
  }
  const int weight = description.weight <= 0 ? 400 : description.weight;
  const std::string name = description.faceName.empty() ? std::string("Arial") : description.faceName;
  std::shared_ptr<const FontFace> face = TheFontCache().Open(name, weight, description.italic, height);
  if (!face) {
    TraceMsg("Font::Create: no face for \"%s\"\n", description.faceName.c_str());
    return font;
  }
  font.m_face = std::move(face);
  font.m_description = description;
  return font;
}

const Font& DefaultFont() {
  static const Font font = Font::Create(LogFont{kDefaultFontHeight, 400, false, "Liberation Sans"});
  return font;
}

int FontCellHeight(const FontFace& face) { return face.CellHeight(); }

SIZE FontTextExtent(const FontFace& face, std::string_view text) {
  const std::lock_guard<std::mutex> lock(face.Mutex());
  long long width = 0;
  ForEachCodePoint(text, [&](char32_t cp) { width += face.GlyphFor(cp).advance; });
  return {static_cast<int>(std::clamp<long long>(width, 0, INT_MAX)), face.CellHeight()};
}

namespace {

// FreeType's outline walk into a sink, from 26.6 units about the glyph's
// origin to pixels.
struct OutlineWalk {
  OutlineSink* sink;
  double x, y;  // the glyph's origin on the baseline
  double lastX = 0, lastY = 0;
  bool open = false;
  double X(const FT_Vector* v) const { return x + v->x / 64.0; }
  double Y(const FT_Vector* v) const { return y - v->y / 64.0; }

  static int Move(const FT_Vector* to, void* user) {
    auto* w = static_cast<OutlineWalk*>(user);
    if (w->open) w->sink->ClosePath();
    w->open = true;
    w->lastX = w->X(to);
    w->lastY = w->Y(to);
    w->sink->MoveTo(w->lastX, w->lastY);
    return 0;
  }
  static int Line(const FT_Vector* to, void* user) {
    auto* w = static_cast<OutlineWalk*>(user);
    w->lastX = w->X(to);
    w->lastY = w->Y(to);
    w->sink->LineTo(w->lastX, w->lastY);
    return 0;
  }
  static int Conic(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* w = static_cast<OutlineWalk*>(user);
    const double cx = w->X(control), cy = w->Y(control), ex = w->X(to), ey = w->Y(to);
    // The quadratic as a cubic: controls two thirds of the way to the control point.
    w->sink->CubicTo(w->lastX + 2.0 / 3.0 * (cx - w->lastX), w->lastY + 2.0 / 3.0 * (cy - w->lastY),
                     ex + 2.0 / 3.0 * (cx - ex), ey + 2.0 / 3.0 * (cy - ey), ex, ey);
    w->lastX = ex;
    w->lastY = ey;
    return 0;
  }
  static int Cubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* w = static_cast<OutlineWalk*>(user);
    w->lastX = w->X(to);
    w->lastY = w->Y(to);
    w->sink->CubicTo(w->X(c1), w->Y(c1), w->X(c2), w->Y(c2), w->lastX, w->lastY);
    return 0;
  }
};

}  // namespace

bool FontTextOutline(const FontFace& face, double x, double y, std::string_view text, OutlineSink& sink) {
  const std::lock_guard<std::mutex> lock(face.Mutex());
  // Every glyph must have an outline before any is handed over.
  bool outlined = true;
  ForEachCodePoint(text, [&](char32_t cp) { outlined = outlined && face.OutlineFor(cp) != nullptr; });
  if (!outlined) return false;
  static const FT_Outline_Funcs kFuncs = {
      &OutlineWalk::Move, &OutlineWalk::Line, &OutlineWalk::Conic, &OutlineWalk::Cubic, 0, 0};
  double pen = x;
  const double baseline = y + face.Ascent();
  ForEachCodePoint(text, [&](char32_t cp) {
    const int advance = face.GlyphFor(cp).advance;  // the raster drawing's steps
    if (FT_Outline* outline = face.OutlineFor(cp)) {
      OutlineWalk walk{&sink, pen, baseline};
      FT_Outline_Decompose(outline, &kFuncs, &walk);
      if (walk.open) sink.ClosePath();
    }
    pen += advance;
  });
  return true;
}

void FontDrawText(const FontFace& face, const PixelBlock& block, int x, int y, std::string_view text, COLORREF colour,
                  SpanRecorder* recorder) {
  if (block.width <= 0 || block.height <= 0 || (block.bits == nullptr && recorder == nullptr)) return;
  const std::uint8_t blue = static_cast<std::uint8_t>(GetBValue(colour));
  const std::uint8_t green = static_cast<std::uint8_t>(GetGValue(colour));
  const std::uint8_t red = static_cast<std::uint8_t>(GetRValue(colour));
  const std::lock_guard<std::mutex> lock(face.Mutex());
  long long pen = x;
  const long long baseline = static_cast<long long>(y) + face.Ascent();
  std::uint64_t written = 0;
  ForEachCodePoint(text, [&](char32_t cp) {
    const Glyph& g = face.GlyphFor(cp);
    const long long left = pen + g.left;
    const long long top = baseline - g.top;
    pen += g.advance;
    const long long c0 = std::max<long long>(0, -left);
    const long long c1 = std::min<long long>(g.width, block.width - left);
    const long long r0 = std::max<long long>(0, -top);
    const long long r1 = std::min<long long>(g.rows, block.height - top);
    for (long long r = r0; r < r1; ++r) {
      const std::uint8_t* bits = g.bits.data() + r * g.pitch;
      if (recorder != nullptr) {
        const int row = static_cast<int>(top + r);
        for (long long c = c0; c < c1;) {
          if ((bits[c >> 3] & (0x80 >> (c & 7))) == 0) {
            ++c;
            continue;
          }
          long long e = c + 1;
          while (e < c1 && (bits[e >> 3] & (0x80 >> (e & 7))) != 0) ++e;
          recorder->Add(row, static_cast<int>(left + c), static_cast<int>(left + e), colour);
          c = e;
        }
        continue;
      }
      std::uint8_t* out = block.Pixel(static_cast<int>(left + c0), static_cast<int>(top + r));
      for (long long c = c0; c < c1; ++c, out += 3) {
        if ((bits[c >> 3] & (0x80 >> (c & 7))) == 0) continue;
        out[0] = blue;
        out[1] = green;
        out[2] = red;
        ++written;
      }
    }
  });
  CountDirectPixels(written);
}

}  // namespace brisol
