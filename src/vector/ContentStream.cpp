#include "vector/ContentStream.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string_view>

#include "vector/VectorScene.h"

namespace brisol {
namespace {

// Four cubic arcs of a circle stray from it by less than 0.03 % of its radius.
constexpr double kArc = 0.5522847498307936;

// Readers hold coordinates in floats or doubles; beyond this they are lost.
constexpr double kLargest = 1e15;
// Below this a number is the remains of a sine or cosine of a right angle.
constexpr double kSmallest = 1e-12;

// "0", "0.0039", ... "1": the 256 levels of a colour channel, close enough
// that every reader brings them back to the same byte.
const std::array<std::string, 256>& ChannelTexts() {
  static const std::array<std::string, 256> texts = [] {
    std::array<std::string, 256> t;
    for (int i = 0; i < 256; ++i) {
      char text[16];
      std::snprintf(text, sizeof text, "%.4f", i / 255.0);
      std::string s = text;
      while (s.back() == '0') s.pop_back();
      if (s.back() == '.') s.pop_back();
      t[static_cast<std::size_t>(i)] = s;
    }
    return t;
  }();
  return texts;
}

}  // namespace

void AppendNumber(std::string& out, double v) {
  if (!std::isfinite(v) || std::fabs(v) < kSmallest) v = 0;
  v = std::clamp(v, -kLargest, kLargest);
  char text[48];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed);
  if (ec != std::errc()) {
    out += '0';
    return;
  }
  out.append(text, end);
}

void ContentStream::Transform(double a, double b, double c, double d, double e, double f) {
  *this << a << b << c << d << e << f;
  Op("cm");
}

void ContentStream::Colour(COLORREF c) {
  const auto& texts = ChannelTexts();
  m_out += texts[GetRValue(c)];
  m_out += ' ';
  m_out += texts[GetGValue(c)];
  m_out += ' ';
  m_out += texts[GetBValue(c)];
  m_out += ' ';
}

void ContentStream::FillColour(COLORREF c) {
  Colour(c);
  Op("rg");
}

void ContentStream::StrokeColour(COLORREF c) {
  Colour(c);
  Op("RG");
}

void ContentStream::Rectangle(double x, double y, double w, double h) {
  *this << x << y << w << h;
  Op("re");
}

ContentStream& ContentStream::Coordinate(double v) {
  if (m_decimals < 0) return *this << v;
  if (!std::isfinite(v) || std::fabs(v) < kSmallest) v = 0;
  v = std::clamp(v, -kLargest, kLargest);
  if (!AppendFixed(m_out, v, m_decimals)) return *this << v;
  m_out += ' ';
  return *this;
}

bool AppendFixed(std::string& out, double v, int decimals) {
  char text[64];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return false;
  std::string_view digits(text, static_cast<std::size_t>(end - text));
  if (digits.find('.') != std::string_view::npos) {
    while (digits.back() == '0') digits.remove_suffix(1);
    if (digits.back() == '.') digits.remove_suffix(1);
  }
  if (digits == "-0") digits = "0";
  out.append(digits);
  return true;
}

void ContentStream::Path(const PathData& path) {
  std::size_t at = 0;
  for (const PathData::Op op : path.ops) {
    const double* v = path.xy.data() + at;
    switch (op) {
      case PathData::Move:
        Coordinate(v[0]).Coordinate(v[1]);
        Op("m");
        at += 2;
        break;
      case PathData::Line:
        Coordinate(v[0]).Coordinate(v[1]);
        Op("l");
        at += 2;
        break;
      case PathData::Cubic:
        for (int i = 0; i < 6; ++i) Coordinate(v[i]);
        Op("c");
        at += 6;
        break;
      case PathData::Close:
        Op("h");
        break;
    }
  }
}

void ContentStream::Circle(double cx, double cy, double r) {
  const double k = kArc * r;
  auto points = [&](std::initializer_list<double> xy, std::string_view op) {
    for (const double v : xy) Coordinate(v);
    Op(op);
  };
  points({cx + r, cy}, "m");
  points({cx + r, cy + k, cx + k, cy + r, cx, cy + r}, "c");
  points({cx - k, cy + r, cx - r, cy + k, cx - r, cy}, "c");
  points({cx - r, cy - k, cx - k, cy - r, cx, cy - r}, "c");
  points({cx + k, cy - r, cx + r, cy - k, cx + r, cy}, "c");
  Op("h");
}

COLORREF ContentStream::Figure(const brisol::Figure& f, bool pen, COLORREF textColour, COLORREF textBackground) {
  switch (f.kind) {
    case Figure::Open:
      if (!pen) return CLR_INVALID;
      Path(f.path);
      Op("S");
      return CLR_INVALID;
    case Figure::Closed:
      Path(f.path);
      Op(pen ? "B*" : "f*");
      return CLR_INVALID;
    case Figure::Circle:
      Circle(f.cx, f.cy, f.r);
      Op(pen ? "B" : "f");
      return CLR_INVALID;
    case Figure::Text:
    case Figure::Cell: {
      const COLORREF colour = f.kind == Figure::Text ? textColour : textBackground;
      FillColour(colour);
      Path(f.path);
      Op("f");
      return colour;
    }
  }
  return CLR_INVALID;
}

}  // namespace brisol
