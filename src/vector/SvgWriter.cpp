#include "vector/SvgWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "effect/Runner.h"
#include "vector/CairoScene.h"
#include "vector/ContentStream.h"
#include "vector/EmbeddedImages.h"
#include "vector/PageContent.h"
#include "vector/PageLayout.h"
#include "vector/VectorScene.h"

namespace brisol {
namespace {

class Svg {
 public:
  explicit Svg(std::string& out) : m_out(out) {}
  Svg& operator<<(std::string_view text) {
    m_out.append(text);
    return *this;
  }
  Svg& operator<<(double v) {
    char text[32];
    if (v == 0) v = 0;  // no "-0"
    const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
    m_out.append(text, ec == std::errc() ? end : text);
    return *this;
  }
  // Coordinates of the figures written from now on with this many digits
  // after the point; -1: as many as the number needs.
  void SetDecimals(int decimals) { m_decimals = decimals; }
  Svg& Coordinate(double v) {
    if (m_decimals < 0 || !AppendFixed(m_out, v, m_decimals)) return *this << v;
    return *this;
  }
  Svg& operator<<(int v) {
    char text[16];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
    m_out.append(text, end);
    return *this;
  }
  Svg& Colour(COLORREF c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
    m_out.append(text, 7);
    return *this;
  }
  Svg& Escaped(std::string_view text) {
    for (const char c : text) {
      switch (c) {
        case '<':
          m_out += "&lt;";
          break;
        case '>':
          m_out += "&gt;";
          break;
        case '&':
          m_out += "&amp;";
          break;
        default:
          // Characters XML does not allow are left out.
          if (static_cast<unsigned char>(c) >= 0x20 || c == '\n' || c == '\t' || c == '\r') m_out += c;
      }
    }
    return *this;
  }
  Svg& Base64(const std::vector<std::uint8_t>& bytes) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::size_t i = 0;
    m_out.reserve(m_out.size() + (bytes.size() + 2) / 3 * 4);
    for (; i + 2 < bytes.size(); i += 3) {
      const unsigned v = (bytes[i] << 16) | (bytes[i + 1] << 8) | bytes[i + 2];
      m_out += kDigits[v >> 18];
      m_out += kDigits[(v >> 12) & 63];
      m_out += kDigits[(v >> 6) & 63];
      m_out += kDigits[v & 63];
    }
    if (i < bytes.size()) {
      const unsigned v = (bytes[i] << 16) | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0);
      m_out += kDigits[v >> 18];
      m_out += kDigits[(v >> 12) & 63];
      m_out += i + 1 < bytes.size() ? kDigits[(v >> 6) & 63] : '=';
      m_out += '=';
    }
    return *this;
  }
  Svg& Path(const PathData& path) {
    std::size_t at = 0;
    auto points = [&](const char* op, int count) {
      *this << op;
      for (int i = 0; i < 2 * count; ++i) {
        if (i > 0) *this << " ";
        Coordinate(path.xy[at++]);
      }
    };
    for (const PathData::Op op : path.ops) {
      switch (op) {
        case PathData::Move:
          points("M", 1);
          break;
        case PathData::Line:
          points("L", 1);
          break;
        case PathData::Cubic:
          points("C", 3);
          break;
        case PathData::Close:
          *this << "Z";
          break;
      }
    }
    return *this;
  }
  // A figure drawn with the fill and stroke its group gives.
  Svg& Figure(const brisol::Figure& f, COLORREF textColour, COLORREF textBackground) {
    switch (f.kind) {
      case Figure::Open:
        *this << "<path fill=\"none\" d=\"";
        Path(f.path) << "\"/>";
        break;
      case Figure::Closed:
        *this << "<path fill-rule=\"evenodd\" d=\"";
        Path(f.path) << "\"/>";
        break;
      case Figure::Circle:
        *this << "<circle cx=\"";
        Coordinate(f.cx) << "\" cy=\"";
        Coordinate(f.cy) << "\" r=\"";
        Coordinate(f.r) << "\"/>";
        break;
      case Figure::Text:
      case Figure::Cell:
        *this << "<path stroke=\"none\" fill=\"";
        Colour(f.kind == Figure::Text ? textColour : textBackground) << "\" d=\"";
        Path(f.path) << "\"/>";
        break;
    }
    return *this;
  }

 private:
  std::string& m_out;
  int m_decimals = -1;
};

void WriteImage(Svg& svg, const std::vector<std::uint8_t>& bytes, bool jpeg) {
  svg << (jpeg ? "data:image/jpeg;base64," : "data:image/png;base64,");
  svg.Base64(bytes);
}

void WriteMixMask(Svg& svg, const VectorScene& scene, const EmbeddedImages& images) {
  const MixMask& mix = scene.mix;
  const double w = scene.picture.cx, h = scene.picture.cy;
  if (mix.kind == MixMask::Linear || mix.kind == MixMask::Radial) {
    if (mix.kind == MixMask::Linear) {
      svg << "<linearGradient id=\"mixWeights\" gradientUnits=\"userSpaceOnUse\" x1=\"" << mix.x0 << "\" y1=\""
          << mix.y0 << "\" x2=\"" << mix.x1 << "\" y2=\"" << mix.y1 << "\">";
    } else {
      svg << "<radialGradient id=\"mixWeights\" gradientUnits=\"userSpaceOnUse\" cx=\"0\" cy=\"0\" r=\"1\" "
             "gradientTransform=\"matrix("
          << mix.rx << " 0 0 " << mix.ry << " " << mix.x0 << " " << mix.y0 << ")\">";
    }
    for (const auto& [offset, weight] : mix.stops)
      svg << "<stop offset=\"" << offset << "\" stop-color=\"#fff\" stop-opacity=\"" << weight << "\"/>";
    svg << (mix.kind == MixMask::Linear ? "</linearGradient>" : "</radialGradient>");
  }
  svg << "<mask id=\"mix\" maskUnits=\"userSpaceOnUse\" x=\"0\" y=\"0\" width=\"" << w << "\" height=\"" << h << "\">";
  if (mix.kind == MixMask::Grey) {
    svg << "<image width=\"" << w << "\" height=\"" << h << "\" preserveAspectRatio=\"none\" xlink:href=\"";
    WriteImage(svg, GreyPngBytes(images.mask, images.raster), false);
    svg << "\"/>";
  } else {
    svg << "<rect width=\"" << w << "\" height=\"" << h << "\" fill=\"url(#mixWeights)\"/>";
  }
  svg << "</mask>\n";
}

// The patch's pixels as a PNG file with its transparent pixels clear.
std::vector<std::uint8_t> PatchPng(const RasterPatch& p) {
  std::vector<std::uint8_t> png;
  CairoSurface patch(
      cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(p.argb.data())),
                                          CAIRO_FORMAT_ARGB32, p.width, p.height, p.width * 4));
  cairo_surface_write_to_png_stream(
      patch.get(),
      [](void* closure, const unsigned char* data, unsigned int length) {
        auto* out = static_cast<std::vector<std::uint8_t>*>(closure);
        out->insert(out->end(), data, data + length);
        return CAIRO_STATUS_SUCCESS;
      },
      &png);
  return png;
}

}  // namespace

std::string WriteSvg(const VectorScene& scene, const PageLayout& page, const EmbeddedImages& images,
                     const std::string& metadata, DrawObserver* observer, const std::stop_token& stop) {
  std::string out;
  out.reserve(256 + scene.objects.size() * 200);
  Svg svg(out);
  const double w = scene.picture.cx, h = scene.picture.cy;
  svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" version=\"1.1\" "
         "width=\""
      << page.width << "pt\" height=\"" << page.height << "pt\" viewBox=\"0 0 " << page.width << " " << page.height
      << "\">\n";
  if (!metadata.empty()) {
    svg << "<metadata>";
    svg.Escaped(metadata) << "</metadata>\n";
  }

  svg << "<defs>\n<clipPath id=\"picture\"><rect width=\"" << w << "\" height=\"" << h << "\"/></clipPath>\n";
  for (std::size_t s = 0; s < scene.symbols.size(); ++s) {
    if (!scene.reused[s]) continue;
    svg << "<symbol id=\"s" << static_cast<int>(s) << "\" overflow=\"visible\">";
    for (const Figure& f : scene.symbols[s]) svg.Figure(f, scene.textColour, scene.textBackground);
    svg << "</symbol>\n";
  }
  const bool photoUsed = scene.photoBackground || scene.mix.kind != MixMask::None;
  if (photoUsed && images.photo) {
    svg << "<image id=\"photo\" width=\"" << w << "\" height=\"" << h
        << "\" preserveAspectRatio=\"none\" xlink:href=\"";
    if (images.jpeg.empty()) {
      WriteImage(svg, PngBytes(*images.photo), false);
    } else {
      WriteImage(svg, images.jpeg, true);
    }
    svg << "\"/>\n";
  }
  if (scene.mix.kind != MixMask::None && scene.mix.kind != MixMask::Even) WriteMixMask(svg, scene, images);
  svg << "</defs>\n";
  // The drawings above keep every digit: their placements may enlarge them.
  svg.SetDecimals(FigureDecimals(page, scene.level));

  // Picture pixels to the page; the objects' own numbers stay as computed.
  svg << "<g transform=\"matrix(" << page.scale << " 0 0 " << page.scale << " " << page.left << " " << page.top
      << ")\">\n";
  // The background, run on into the bleed where the picture meets the trim.
  const double ex = page.bleedX / page.scale, ey = page.bleedY / page.scale;
  if (scene.photoBackground) {
    if (ex > 0 || ey > 0)
      svg << "<use xlink:href=\"#photo\" transform=\"matrix(" << (w + 2 * ex) / w << " 0 0 " << (h + 2 * ey) / h << " "
          << -ex << " " << -ey << ")\"/>\n";
    svg << "<use xlink:href=\"#photo\"/>\n";
  } else {
    svg << "<rect";
    if (ex > 0 || ey > 0) svg << " x=\"" << -ex << "\" y=\"" << -ey << "\"";
    svg << " width=\"" << w + 2 * ex << "\" height=\"" << h + 2 * ey << "\" fill=\"";
    svg.Colour(scene.background) << "\"/>\n";
  }
  svg << "<g clip-path=\"url(#picture)\"><g transform=\"scale(" << 1.0 / scene.level
      << ")\" stroke-linejoin=\"round\" stroke-linecap=\"round\">\n";
  const bool written = ForEachObject(scene, observer, stop, [&](const ObjectDrawing& d) {
    const PlacedObject& o = d.object;
    if (d.patch) {
      const RasterPatch& p = *d.patch;
      if (p.width <= 0) return;
      svg << "<image x=\"" << p.left << "\" y=\"" << p.top << "\" width=\"" << p.width << "\" height=\"" << p.height
          << "\" image-rendering=\"optimizeSpeed\" xlink:href=\"";
      WriteImage(svg, PatchPng(p), false);
      svg << "\"/>\n";
      return;
    }
    if (d.symbol) {
      svg << "<use xlink:href=\"#s" << o.shape << "\" transform=\"matrix(";
      for (int i = 0; i < 6; ++i) svg << (i ? " " : "") << d.placement[i];
      svg << ")\"";
    } else {
      svg << "<g";
    }
    svg << " fill=\"";
    svg.Colour(o.fill) << "\"";
    if (o.penWidth > 0) {
      svg << " stroke=\"";
      svg.Colour(o.outline) << "\" stroke-width=\"" << d.penWidth << "\"";
    }
    if (d.symbol) {
      svg << "/>\n";
      return;
    }
    svg << ">";
    for (const Figure& f : *d.figures) svg.Figure(f, scene.textColour, scene.textBackground);
    svg << "</g>\n";
  });
  if (!written) return {};
  svg << "</g></g>\n";
  if (scene.mix.kind == MixMask::Even) {
    svg << "<use xlink:href=\"#photo\" opacity=\"" << scene.mix.alpha << "\"/>\n";
  } else if (scene.mix.kind != MixMask::None) {
    svg << "<use xlink:href=\"#photo\" mask=\"url(#mix)\"/>\n";
  }
  svg << "</g>\n</svg>\n";
  return out;
}

}  // namespace brisol
