#include "vector/PdfFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "effect/Runner.h"
#include "vector/ContentStream.h"
#include "vector/EmbeddedImages.h"
#include "vector/PageContent.h"
#include "vector/PageLayout.h"
#include "vector/StreamCoding.h"
#include "vector/VectorScene.h"

namespace brisol {
namespace {

// libdeflate's level for the drawing operators: text that packs well fast.
constexpr int kContentLevel = 6;
// A stream shorter than this is kept as it is.
constexpr std::size_t kPackFrom = 256;

// The objects of a file and where each begins, then the cross-reference
// table that lists them.
class PdfObjects {
 public:
  PdfObjects() {
    static const char kHeader[] = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    m_out.append(kHeader, sizeof kHeader - 1);
  }
  int Reserve() {
    m_offsets.push_back(0);
    return static_cast<int>(m_offsets.size());
  }
  void Object(int n, std::string_view body) {
    Begin(n);
    Append(body);
    Append("\nendobj\n");
  }
  // A stream with its dictionary's entries (without the length and the
  // filter, which this adds when it packs the bytes).
  void Stream(int n, std::string_view entries, std::span<const std::uint8_t> bytes, bool pack) {
    std::vector<std::uint8_t> packed;
    if (pack && bytes.size() >= kPackFrom) {
      packed = ZlibCompress(bytes, kContentLevel);
      if (packed.empty()) {
        m_failed = true;
        return;
      }
      bytes = packed;
    }
    Begin(n);
    Append("<<");
    Append(entries);
    if (!packed.empty()) Append(" /Filter /FlateDecode");
    Append(" /Length " + std::to_string(bytes.size()) + " >>\nstream\n");
    m_out.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    Append("\nendstream\nendobj\n");
  }
  bool Failed() const { return m_failed; }
  std::string Finish(int root, int info) {
    const std::size_t xref = m_out.size();
    Append("xref\n0 " + std::to_string(m_offsets.size() + 1) + "\n0000000000 65535 f \n");
    char line[24];
    for (const std::size_t offset : m_offsets) {
      std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
      Append(line);
    }
    Append("trailer\n<< /Size " + std::to_string(m_offsets.size() + 1) + " /Root " + Ref(root) + " /Info " + Ref(info) +
           " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n");
    return std::move(m_out);
  }
  static std::string Ref(int n) { return std::to_string(n) + " 0 R"; }

 private:
  void Begin(int n) {
    m_offsets[static_cast<std::size_t>(n - 1)] = m_out.size();
    Append(std::to_string(n) + " 0 obj\n");
  }
  void Append(std::string_view text) { m_out.append(text); }

  std::string m_out;
  std::vector<std::size_t> m_offsets;
  bool m_failed = false;
};

std::span<const std::uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string Numbers(std::initializer_list<double> values) {
  std::string text = "[";
  for (double v : values) {
    if (text.size() > 1) text += ' ';
    AppendNumber(text, v);
  }
  return text + "]";
}

// The weights of a gradient from its stops: a straight line between each
// two offsets, stitched; a jump where two stops share an offset.
std::string WeightFunction(const MixMask& mix) {
  struct Piece {
    double from, to, w0, w1;
  };
  std::vector<Piece> pieces;
  for (std::size_t i = 0; i + 1 < mix.stops.size(); ++i) {
    const auto& [t0, w0] = mix.stops[i];
    const auto& [t1, w1] = mix.stops[i + 1];
    if (t1 > t0) pieces.push_back({t0, t1, w0, w1});
  }
  auto linear = [](double w0, double w1) {
    return "<< /FunctionType 2 /Domain [0 1] /C0 " + Numbers({w0}) + " /C1 " + Numbers({w1}) + " /N 1 >>";
  };
  if (pieces.empty()) {
    const double w = mix.stops.empty() ? 0.0 : mix.stops.front().second;
    return linear(w, w);
  }
  if (pieces.size() == 1 && pieces[0].from == 0.0 && pieces[0].to == 1.0) return linear(pieces[0].w0, pieces[0].w1);
  // Offsets before the first stop and after the last take their weights.
  if (pieces.front().from > 0.0)
    pieces.insert(pieces.begin(), {0.0, pieces.front().from, pieces.front().w0, pieces.front().w0});
  if (pieces.back().to < 1.0) pieces.push_back({pieces.back().to, 1.0, pieces.back().w1, pieces.back().w1});
  std::string functions, bounds, encode;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    functions += linear(pieces[i].w0, pieces[i].w1) + " ";
    if (i > 0) {
      AppendNumber(bounds, pieces[i].from);
      bounds += ' ';
    }
    encode += "0 1 ";
  }
  return "<< /FunctionType 3 /Domain [0 1] /Functions [" + functions + "] /Bounds [" + bounds + "] /Encode [" + encode +
         "] >>";
}

// The drawing's figures' box in its own units, grown by the pen's reach.
std::string SymbolBox(const std::vector<Figure>& figures, double reach) {
  const FigureBox box = BoxOf(figures).value_or(FigureBox{});
  const double x0 = box.x0, y0 = box.y0, x1 = box.x1, y1 = box.y1;
  const double pad = reach + 1e-3 * std::max({1.0, x1 - x0, y1 - y0});
  return Numbers({x0 - pad, y0 - pad, x1 + pad, y1 + pad});
}

}  // namespace

std::string PdfTextString(const std::string& utf8) {
  std::u16string units;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    char32_t cp = 0xFFFD;
    std::size_t n = 1;
    if (c < 0x80) {
      cp = c;
    } else if ((c >> 5) == 6 || (c >> 4) == 14 || (c >> 3) == 30) {
      n = (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
      if (i + n <= utf8.size()) {
        cp = c & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
          const auto d = static_cast<unsigned char>(utf8[i + k]);
          if ((d >> 6) != 2) {
            cp = 0xFFFD;
            n = k;
            break;
          }
          cp = (cp << 6) | (d & 0x3F);
        }
      } else {
        n = 1;
      }
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(cp);
    }
    i += n;
  }
  std::string hex = "<FEFF";
  char digits[8];
  for (const char16_t u : units) {
    std::snprintf(digits, sizeof digits, "%04X", static_cast<unsigned>(u));
    hex += digits;
  }
  return hex + ">";
}

Outcome<std::string> WritePdf(const VectorScene& scene, const PageLayout& page, const EmbeddedImages& images,
                              const std::string& metadata, DrawObserver* observer, const std::stop_token& stop) {
  PdfObjects pdf;
  const int catalog = pdf.Reserve(), pages = pdf.Reserve(), pageObject = pdf.Reserve(), info = pdf.Reserve(),
            contents = pdf.Reserve();
  const double w = scene.picture.cx, h = scene.picture.cy;
  std::string xobjects, states;

  // The drawings placed by reference, and how far their pens reach in their own units.
  const SymbolUse use = UsedSymbols(scene);
  std::vector<double> reach(scene.symbols.size(), 0.0);
  for (const PlacedObject& o : scene.objects) {
    if (o.penWidth <= 0 || o.shape < 0 || static_cast<std::size_t>(o.shape) >= reach.size()) continue;
    const double scale = std::hypot(o.transform.at(0, 0), o.transform.at(1, 0));
    if (scale > 0) reach[o.shape] = std::max(reach[o.shape], o.penWidth / scale);
  }
  for (std::size_t s = 0; s < scene.symbols.size(); ++s) {
    for (const bool outlined : {false, true}) {
      if (!(outlined ? use.outlined : use.filled)[s]) continue;
      std::string text;
      ContentStream form(text);
      WriteSymbol(form, scene, static_cast<int>(s), outlined);
      const int n = pdf.Reserve();
      pdf.Stream(n,
                 " /Type /XObject /Subtype /Form /BBox " + SymbolBox(scene.symbols[s], outlined ? reach[s] : 0.0) +
                     " /Resources << >>",
                 Bytes(text), true);
      xobjects += std::string(" /") + (outlined ? "S" : "F") + std::to_string(s) + " " + PdfObjects::Ref(n);
    }
  }

  // The photo, once.
  const bool photoUsed = images.photo && (scene.photoBackground || scene.mix.kind != MixMask::None);
  if (photoUsed) {
    const int n = pdf.Reserve();
    const std::string size = " /Type /XObject /Subtype /Image /Width " + std::to_string(images.raster.cx) +
                             " /Height " + std::to_string(images.raster.cy) + " /BitsPerComponent 8";
    if (!images.jpeg.empty()) {
      const bool grey = [&] {
        // The frame header's component count (JpegBytesStandFor has checked the file).
        for (std::size_t at = 2; at + 9 < images.jpeg.size();) {
          const std::uint8_t marker = images.jpeg[at + 1];
          if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) return images.jpeg[at + 9] == 1;
          if (marker == 0xFF) {
            ++at;
            continue;
          }
          at += 2 + ((std::size_t{images.jpeg[at + 2]} << 8) | images.jpeg[at + 3]);
        }
        return false;
      }();
      pdf.Stream(n, size + (grey ? " /ColorSpace /DeviceGray" : " /ColorSpace /DeviceRGB") + " /Filter /DCTDecode",
                 images.jpeg, false);
    } else {
      const std::vector<std::uint8_t> pixels = PngPixelStream(PngBytes(*images.photo));
      if (pixels.empty()) {
        return Fail(Status::NoMemory, "not enough memory for the embedded photo");
      }
      pdf.Stream(n,
                 size +
                     " /ColorSpace /DeviceRGB /Filter /FlateDecode /DecodeParms << /Predictor 15 /Colors 3 "
                     "/BitsPerComponent 8 /Columns " +
                     std::to_string(images.raster.cx) + " >>",
                 pixels, false);
    }
    xobjects += " /Photo " + PdfObjects::Ref(n);
  }

  // The mix: the photo's weights as a soft mask, a constant grey for an
  // even mix. An importer that ignores a constant opacity on an image (and
  // draws the photo opaque) still honours a soft mask.
  const MixMask& mix = scene.mix;
  if (photoUsed && mix.kind != MixMask::None) {
    std::string maskText, maskResources;
    ContentStream maskContent(maskText);
    if (mix.kind == MixMask::Even) {
      maskContent << mix.alpha;
      maskContent.Op("g");
      maskContent.Rectangle(0, 0, w, h);
      maskContent.Op("f");
    } else if (mix.kind == MixMask::Grey) {
      const int image = pdf.Reserve();
      pdf.Stream(image,
                 " /Type /XObject /Subtype /Image /Width " + std::to_string(images.raster.cx) + " /Height " +
                     std::to_string(images.raster.cy) + " /ColorSpace /DeviceGray /BitsPerComponent 8",
                 images.mask, true);
      maskResources = "/XObject << /Weights " + PdfObjects::Ref(image) + " >>";
      maskContent.Transform(w, 0, 0, -h, 0, h);
      maskContent.Op("/Weights Do");
    } else {
      const int shading = pdf.Reserve();
      const std::string function = WeightFunction(mix);
      if (mix.kind == MixMask::Linear) {
        pdf.Object(shading, "<< /ShadingType 2 /ColorSpace /DeviceGray /Coords " +
                                Numbers({mix.x0, mix.y0, mix.x1, mix.y1}) + " /Function " + function +
                                " /Extend [true true] >>");
      } else {
        pdf.Object(shading, "<< /ShadingType 3 /ColorSpace /DeviceGray /Coords [0 0 0 0 0 1] /Function " + function +
                                " /Extend [true true] >>");
        maskContent.Transform(mix.rx, 0, 0, mix.ry, mix.x0, mix.y0);
      }
      maskResources = "/Shading << /Weights " + PdfObjects::Ref(shading) + " >>";
      maskContent.Op("/Weights sh");
    }
    const int group = pdf.Reserve();
    const std::string resources = maskResources.empty() ? "" : maskResources + " ";
    pdf.Stream(group,
               " /Type /XObject /Subtype /Form /BBox " + Numbers({0, 0, w, h}) +
                   " /Group << /S /Transparency /CS /DeviceGray >> /Resources << " + resources + ">>",
               Bytes(maskText), true);
    const int state = pdf.Reserve();
    pdf.Object(state,
               "<< /Type /ExtGState /SMask << /Type /Mask /S /Luminosity /G " + PdfObjects::Ref(group) + " >> >>");
    states += " /Mix " + PdfObjects::Ref(state);
  }

  // The page: background, objects, mix.
  std::string text;
  text.reserve(4096 + scene.objects.size() * 120);
  ContentStream out(text);
  out.Op("q");
  PictureSpace(out, page);
  WriteBackground(out, scene, page, photoUsed, [](ContentStream& content) {
    content.Op("/Photo Do");
    return true;
  });
  const PlaceSymbol place = [](ContentStream& content, int shape, bool outlined) {
    content.Raw(outlined ? "/S" : "/F").Raw(std::to_string(shape)).Op(" Do");
  };
  out.SetDecimals(FigureDecimals(page, scene.level));
  if (!WriteObjects(out, scene, place, observer, stop)) {
    return StoppedBy();
  }
  if (photoUsed && mix.kind != MixMask::None) {
    out.Op("q");
    out.Rectangle(0, 0, w, h);
    out.Op("W n /Mix gs");
    out.Transform(w, 0, 0, -h, 0, h);
    out.Op("/Photo Do Q");
  }
  out.Op("Q");
  pdf.Stream(contents, "", Bytes(text), true);

  std::string boxes = " /MediaBox " + Numbers({0, 0, page.width, page.height});
  if (page.bleed > 0) {
    boxes += " /BleedBox " + Numbers({0, 0, page.width, page.height}) + " /TrimBox " +
             Numbers({page.bleed, page.bleed, page.width - page.bleed, page.height - page.bleed});
  }
  std::string resources = "<< /XObject <<" + xobjects + " >> /ExtGState <<" + states + " >> >>";
  pdf.Object(pageObject, "<< /Type /Page /Parent " + PdfObjects::Ref(pages) + boxes + " /Resources " + resources +
                             " /Contents " + PdfObjects::Ref(contents) +
                             (states.empty() ? "" : " /Group << /S /Transparency /CS /DeviceRGB >>") + " >>");
  pdf.Object(pages, "<< /Type /Pages /Kids [" + PdfObjects::Ref(pageObject) + "] /Count 1 >>");
  pdf.Object(catalog, "<< /Type /Catalog /Pages " + PdfObjects::Ref(pages) + " >>");
  // The recipe under an entry of its own: viewers show the Subject as the
  // document's subject.
  pdf.Object(info, "<< /Creator " + PdfTextString("Brisol") + " /Producer " + PdfTextString("Brisol") +
                       (metadata.empty() ? "" : " /BrisolRecipe " + PdfTextString(metadata)) + " >>");
  if (pdf.Failed()) {
    return Fail(Status::NoMemory, "not enough memory");
  }
  return pdf.Finish(catalog, info);
}

}  // namespace brisol
