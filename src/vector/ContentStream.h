// The drawing operators of a PDF page or form, written as text. The
// PostScript files define the same operator names in their prolog, so one
// text serves both. Numbers keep full double precision, or the digits a
// figure's coordinates need on the page, and never take an exponent, which
// neither format reads.
#pragma once

#include <string>
#include <string_view>

#include "raster/Types.h"

namespace brisol {

struct PathData;
struct Figure;

// The shortest text that reads back as v, in plain decimal notation.
void AppendNumber(std::string& out, double v);

class ContentStream {
 public:
  explicit ContentStream(std::string& out) : m_out(out) {}
  std::string& Text() { return m_out; }

  // A number and a space.
  ContentStream& operator<<(double v) {
    AppendNumber(m_out, v);
    m_out += ' ';
    return *this;
  }
  // An operator and a line break.
  ContentStream& Op(std::string_view op) {
    m_out.append(op);
    m_out += '\n';
    return *this;
  }
  ContentStream& Raw(std::string_view text) {
    m_out.append(text);
    return *this;
  }

  // Paths and circles written from now on with this many digits after the
  // point; -1 (the start): every digit.
  void SetDecimals(int decimals) { m_decimals = decimals; }

  void Transform(double a, double b, double c, double d, double e, double f);
  void FillColour(COLORREF c);    // rg
  void StrokeColour(COLORREF c);  // RG
  void Rectangle(double x, double y, double w, double h);
  void Path(const PathData& path);
  void Circle(double cx, double cy, double r);  // four cubic arcs, closed

  // A figure's path and the operator that paints it as the raster drawing
  // does, with the fill and stroke colours and line width already set (pen:
  // whether the object has an outline). Texts and cells set their own fill
  // colour, which the caller learns from the result: the colour left set, or
  // CLR_INVALID when the figure left the fill colour alone.
  COLORREF Figure(const brisol::Figure& f, bool pen, COLORREF textColour, COLORREF textBackground);

 private:
  void Colour(COLORREF c);
  ContentStream& Coordinate(double v);
  std::string& m_out;
  int m_decimals = -1;
};

// Appends v with decimals digits after the point at most: trailing zeros,
// a lone point and the sign of zero left out. False, with nothing
// appended, when the number cannot be written so.
bool AppendFixed(std::string& out, double v, int decimals);

}  // namespace brisol
