#include "vector/PsFile.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "imageio/codecs/ImageCodec.h"
#include "raster/Dadc.h"
#include "raster/WorkerPool.h"
#include "vector/ContentStream.h"
#include "vector/EmbeddedImages.h"
#include "vector/PageContent.h"
#include "vector/PageLayout.h"
#include "vector/StreamCoding.h"
#include "vector/VectorScene.h"

namespace brisol {
namespace {

// The PDF page operators the content uses, in PostScript. PostScript has
// one current colour: the fill and stroke colours are kept apart and set
// before each painting.
constexpr char kProlog[] =
    "/BrisolDict 64 dict def BrisolDict begin\n"
    "/q { gsave } bind def /Q { grestore } bind def\n"
    "/cm { 6 array astore concat } bind def\n"
    "/w { setlinewidth } bind def /j { setlinejoin } bind def /J { setlinecap } bind def\n"
    "/m { moveto } bind def /l { lineto } bind def /c { curveto } bind def /h { closepath } bind def\n"
    "/re { 4 2 roll moveto 1 index 0 rlineto 0 exch rlineto neg 0 rlineto closepath } bind def\n"
    "/n { newpath } bind def /W { clip } bind def\n"
    "/rg { 3 array astore /FillRgb exch def } bind def /RG { 3 array astore /StrokeRgb exch def } bind def\n"
    "/FillRgb [0 0 0] def /StrokeRgb [0 0 0] def\n"
    "/f { FillRgb aload pop setrgbcolor fill } bind def\n"
    "/f* { FillRgb aload pop setrgbcolor eofill } bind def\n"
    "/S { StrokeRgb aload pop setrgbcolor stroke } bind def\n"
    "/B { gsave FillRgb aload pop setrgbcolor fill grestore S } bind def\n"
    "/B* { gsave FillRgb aload pop setrgbcolor eofill grestore S } bind def\n"
    "end\n";

// The lines of a text as comments, each cut to what a comment line may hold.
std::string CommentLines(const std::string& text) {
  std::string lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = "%BrisolRecipe: " + text.substr(at, end - at);
    for (char& c : line)
      if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = ' ';
    if (line.size() > 255) line.resize(255);
    lines += line + "\n";
    at = end + 1;
  }
  return lines;
}

// An image of the size drawn into the unit square the content has mapped
// onto it, its data read from the file that follows.
void WriteImage(std::string& out, const SIZE& size, bool grey, const std::string& filters,
                std::span<const std::uint8_t> data) {
  const std::string w = std::to_string(size.cx), h = std::to_string(size.cy);
  out += grey ? "/DeviceGray setcolorspace\n" : "/DeviceRGB setcolorspace\n";
  out += "<< /ImageType 1 /Width " + w + " /Height " + h + " /BitsPerComponent 8 /Decode [" +
         (grey ? "0 1" : "0 1 0 1 0 1") + "] /ImageMatrix [" + w + " 0 0 -" + h + " 0 " + h +
         "]\n   /DataSource currentfile /ASCII85Decode filter " + filters + " >> image\n";
  AppendAscii85(out, data);
}

// Rows of a picture packed in one stretch: as many stretches as threads
// pack them at once, each a picture of its own, one under the other.
constexpr int kStripRows = 256;

// The photo, or any picture, as an image in the unit square the content
// has mapped onto it: a JPEG's own bytes, or strips of rows packed on every
// thread. False when memory runs out.
bool WritePicture(std::string& out, const CDADC& picture, const std::vector<std::uint8_t>& jpeg) {
  const SIZE size = picture.GetSize();
  if (!jpeg.empty()) {
    // A grey JPEG's frame has one component.
    bool grey = false;
    for (std::size_t at = 2; at + 9 < jpeg.size();) {
      const std::uint8_t marker = jpeg[at + 1];
      if (marker == 0xFF) {
        ++at;
        continue;
      }
      if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
        grey = jpeg[at + 9] == 1;
        break;
      }
      at += 2 + ((std::size_t{jpeg[at + 2]} << 8) | jpeg[at + 3]);
    }
    WriteImage(out, size, grey, "/DCTDecode filter", jpeg);
    return true;
  }
  const PixelBlock block = picture.GetBlock();
  const int strips = (size.cy + kStripRows - 1) / kStripRows;
  std::vector<std::vector<std::uint8_t>> packed(static_cast<std::size_t>(strips));
  WorkerPool().ParallelFor(packed.size(), [&](std::size_t k) {
    const int top = static_cast<int>(k) * kStripRows, rows = std::min(kStripRows, size.cy - top);
    // Rows top to bottom of a block whose rows are stored bottom-up.
    const PixelBlock strip{block.Row(top + rows - 1), block.width, rows, block.stride};
    std::vector<std::uint8_t> png;
    if (EncodePngOnThreads(strip, png, 1) == kImgOk) packed[k] = PngPixelStream(png);
  });
  const std::string filters =
      "<< /Predictor 15 /Colors 3 /BitsPerComponent 8 /Columns " + std::to_string(size.cx) + " >> /FlateDecode filter";
  ContentStream content(out);
  for (int k = 0; k < strips; ++k) {
    const std::vector<std::uint8_t>& data = packed[static_cast<std::size_t>(k)];
    if (data.empty()) return false;
    const int top = k * kStripRows, rows = std::min(kStripRows, size.cy - top);
    // The strip's part of the unit square: rows top .. top + rows of the
    // picture, whose first row is at the square's top (y = 1).
    content.Op("q");
    content.Transform(1, 0, 0, static_cast<double>(rows) / size.cy, 0, 1.0 - static_cast<double>(top + rows) / size.cy);
    WriteImage(out, SIZE{size.cx, rows}, false, filters, data);
    content.Op("Q");
  }
  return true;
}

// The raster pixels where the mix shows some of the photo, as rectangles:
// each row's runs, rows with the same runs joined. Whether it is all of them.
bool MixedPixels(ContentStream& out, const std::vector<std::uint8_t>& weights, const SIZE& size) {
  using Runs = std::vector<std::pair<int, int>>;
  auto runsOf = [&](int y) {
    Runs runs;
    const std::uint8_t* row = weights.data() + static_cast<std::size_t>(y) * size.cx;
    for (int x = 0; x < size.cx;) {
      if (row[x] == 0) {
        ++x;
        continue;
      }
      int end = x + 1;
      while (end < size.cx && row[end] != 0) ++end;
      runs.emplace_back(x, end);
      x = end;
    }
    return runs;
  };
  bool all = true;
  Runs block;
  int blockTop = 0;
  auto flush = [&](int bottom) {
    for (const auto& [x0, x1] : block) out.Rectangle(x0, blockTop, x1 - x0, bottom - blockTop);
  };
  for (int y = 0; y < size.cy; ++y) {
    Runs runs = runsOf(y);
    if (!(runs.size() == 1 && runs[0] == std::pair<int, int>(0, size.cx))) all = false;
    if (y > 0 && runs == block) continue;
    flush(y);
    block = std::move(runs);
    blockTop = y;
  }
  flush(size.cy);
  return all;
}

// A length in points rounded up to a thousandth, without trailing zeros.
std::string PointsUp(double points) {
  char text[48];
  std::snprintf(text, sizeof text, "%.3f", std::ceil(points * 1000 - 1e-6) / 1000);
  std::string s = text;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

// The header lines of the type, the comments and the prolog. An EPS file
// says so on its first line, for the programs that place it, and its
// bounding box is the page: in whole points rounded outward, and exactly.
void AppendPreamble(std::string& out, bool eps, const PageLayout& page, const std::string& metadata) {
  if (eps) {
    out += "%!PS-Adobe-3.0 EPSF-3.0\n";
    out += "%%BoundingBox: 0 0 " + std::to_string(static_cast<long>(std::ceil(page.width - 1e-6))) + " " +
           std::to_string(static_cast<long>(std::ceil(page.height - 1e-6))) + "\n";
    out += "%%HiResBoundingBox: 0 0 " + PointsUp(page.width) + " " + PointsUp(page.height) + "\n";
  } else {
    out += "%!PS-Adobe-3.0\n";
  }
  out += "%%Creator: Brisol\n";
  if (!eps) out += "%%Pages: 1\n";
  out += "%%LanguageLevel: 3\n%%DocumentData: Clean7Bit\n";
  out += CommentLines(metadata);
  out += "%%EndComments\n%%BeginProlog\n";
  out += kProlog;
  out += "%%EndProlog\n";
}

// The drawings the objects place by reference, each a procedure.
void AppendSymbols(std::string& out, const VectorScene& scene) {
  const SymbolUse use = UsedSymbols(scene);
  out += "BrisolDict begin\n";
  for (std::size_t s = 0; s < use.filled.size(); ++s) {
    for (const bool outlined : {false, true}) {
      if (!(outlined ? use.outlined : use.filled)[s]) continue;
      out += std::string("/") + (outlined ? "S" : "F") + std::to_string(s) + " {\n";
      ContentStream symbol(out);
      WriteSymbol(symbol, scene, static_cast<int>(s), outlined);
      out += "} bind def\n";
    }
  }
  out += "end\n";
}

}  // namespace

Outcome<std::string> WritePostScript(VectorKind kind, const VectorScene& scene, const PageLayout& page,
                                     const EmbeddedImages& images, const CDADC* composite, const std::string& metadata,
                                     DrawObserver* observer, const std::stop_token& stop) {
  const bool eps = kind == VectorKind::Eps;
  const double w = scene.picture.cx, h = scene.picture.cy;
  const SIZE raster = images.raster;
  const bool mixed = scene.mix.kind != MixMask::None && composite != nullptr;

  // The raster pixels the mix shows the photo in, and whether that is all of them.
  std::string region;
  bool everywhere = false;
  if (mixed && MixCoversPicture(scene.mix)) {
    ContentStream(region).Rectangle(0, 0, raster.cx, raster.cy);
    everywhere = true;
  } else if (mixed && scene.mix.kind != MixMask::Even) {
    std::vector<std::uint8_t> weights;
    if (scene.mix.kind == MixMask::Grey && !images.mask.empty()) {
      weights = images.mask;
    } else {
      weights = GreyMask(scene.mixSettings, scene.picture, raster.cx, raster.cy);
    }
    ContentStream clip(region);
    everywhere = MixedPixels(clip, weights, raster);
  }

  std::string out;
  // The images' data, packed to about a fifth and written as ASCII85, and the objects.
  const std::size_t pixels = static_cast<std::size_t>(raster.cx) * raster.cy;
  out.reserve(64 * 1024 + scene.objects.size() * 160 + region.size() + (mixed ? pixels : 0) +
              (images.photo ? std::max(images.jpeg.size() * 5 / 4, pixels) : 0));
  AppendPreamble(out, eps, page, metadata);
  // The drawings placed by reference, as procedures.
  out += "%%BeginSetup\n";
  if (!eps) {
    std::string size;
    AppendNumber(size, page.width);
    size += ' ';
    AppendNumber(size, page.height);
    out += "<< /PageSize [" + size + "] >> setpagedevice\n";
  }
  if (!everywhere) AppendSymbols(out, scene);
  out += "%%EndSetup\n%%Page: 1 1\nBrisolDict begin\n";

  ContentStream content(out);
  content.Op("q");
  PictureSpace(content, page);
  if (everywhere) {
    // The composite covers the picture: its edges run on into the bleed.
    if (!WriteBleed(content, page, scene.picture, [&](ContentStream&) { return WritePicture(out, *composite, {}); })) {
      return Fail(Status::NoMemory, "not enough memory for the mixed picture");
    }
  } else {
    // The background and the objects, which the composite covers where it is.
    const bool background = WriteBackground(content, scene, page, images.photo != nullptr, [&](ContentStream&) {
      return WritePicture(out, *images.photo, images.jpeg);
    });
    if (!background) {
      return Fail(Status::NoMemory, "not enough memory for the embedded photo");
    }
    const PlaceSymbol place = [](ContentStream& c, int shape, bool outlined) {
      c.Raw(outlined ? "S" : "F").Op(std::to_string(shape));
    };
    content.SetDecimals(FigureDecimals(page, scene.level));
    if (!WriteObjects(content, scene, place, observer, stop)) {
      return StoppedBy();
    }
  }
  if (mixed && !region.empty()) {
    content.Op("q");
    content.Transform(w / raster.cx, 0, 0, h / raster.cy, 0, 0);
    out += region;
    content.Op("W n");
    content.Transform(raster.cx, 0, 0, -raster.cy, 0, raster.cy);
    if (!WritePicture(out, *composite, {})) {
      return Fail(Status::NoMemory, "not enough memory for the mixed picture");
    }
    content.Op("Q");
  }
  content.Op("Q");
  out += "end\nshowpage\n%%Trailer\n%%EOF\n";
  return out;
}

}  // namespace brisol
