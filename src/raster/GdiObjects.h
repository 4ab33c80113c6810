// Pens, brushes and fonts: small values that a drawing context selects.
// Selecting returns the previous object, so callers restore by selecting it
// back; nothing needs deleting.
#pragma once

#include <memory>
#include <string>

#include "raster/Types.h"

namespace brisol {

class Pen {
 public:
  enum class Style { Solid, Null };

  // The default pen: solid, 1 pixel, black.
  Pen() = default;
  static Pen Solid(int width, COLORREF colour) { return Pen(Style::Solid, width, colour); }
  static Pen Null() { return Pen(Style::Null, 0, 0); }

  Style style() const { return m_style; }
  // Width in pixels; 0 and 1 both draw one-pixel lines.
  int width() const { return m_width; }
  COLORREF colour() const { return m_colour; }
  bool IsNull() const { return m_style == Style::Null; }

  friend bool operator==(const Pen&, const Pen&) = default;

 private:
  Pen(Style style, int width, COLORREF colour) : m_style(style), m_width(width), m_colour(colour) {}
  Style m_style = Style::Solid;
  int m_width = 1;
  COLORREF m_colour = 0;
};

class Brush {
 public:
  // The default brush: solid white.
  Brush() = default;
  static Brush Solid(COLORREF colour) { return Brush(false, colour); }
  static Brush Null() { return Brush(true, 0); }

  bool IsNull() const { return m_null; }
  COLORREF colour() const { return m_colour; }

  friend bool operator==(const Brush&, const Brush&) = default;

 private:
  Brush(bool null, COLORREF colour) : m_null(null), m_colour(colour) {}
  bool m_null = false;
  COLORREF m_colour = RGB(255, 255, 255);
};

// What a font is asked for.
struct LogFont {
  int height = 0;    // cell height in pixels (ascent + descent); 0 picks a default
  int weight = 400;  // 400 normal, 700 bold
  bool italic = false;
  std::string faceName = "Arial";  // resolved to the nearest installed face
};

class FontFace;  // the loaded face, private to the drawing backend

class Font {
 public:
  // No font: a context with no font selected uses its default face.
  Font() = default;

  // Loads the nearest face to the description. The result is not valid when
  // no usable face is installed or the height is absurd.
  static Font Create(const LogFont& description);

  bool IsValid() const { return m_face != nullptr; }
  const LogFont& description() const { return m_description; }
  const FontFace* face() const { return m_face.get(); }

  friend bool operator==(const Font& a, const Font& b) { return a.m_face == b.m_face; }

 private:
  std::shared_ptr<const FontFace> m_face;
  LogFont m_description;
};

}  // namespace brisol
