#include "vector/CairoFiles.h"

#include <cairo-pdf.h>
#include <cairo-ps.h>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "imageio/PsOp.h"
#include "vector/CairoScene.h"
#include "vector/EmbeddedImages.h"
#include "vector/PageLayout.h"
#include "vector/VectorScene.h"

namespace brisol {
namespace {

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(closure);
  try {
    out->insert(out->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    return CAIRO_STATUS_NO_MEMORY;
  }
  return CAIRO_STATUS_SUCCESS;
}

// The lines of a text, each cut to what a PostScript comment may hold.
std::vector<std::string> CommentLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = "%BrisolRecipe: " + text.substr(at, end - at);
    for (char& c : line)
      if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    if (line.size() > 255) line.resize(255);
    lines.push_back(std::move(line));
    at = end + 1;
  }
  return lines;
}

}  // namespace

void ReplacePostScriptHeader(std::vector<std::uint8_t>& file, int psType, double widthPoints, double heightPoints) {
  const std::string_view text(reinterpret_cast<const char*>(file.data()), file.size());
  // The header comments end at the first line that is not a "%%" comment.
  std::size_t headerEnd = 0;
  std::string kept;
  std::size_t at = text.find('\n');
  if (at == std::string_view::npos) return;
  at += 1;  // Cairo's first line goes
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(at, end - at);
    if (!line.starts_with("%%") || line.starts_with("%%EndComments")) break;
    if (!line.starts_with("%%BoundingBox:") && !line.starts_with("%%HiResBoundingBox:")) {
      kept.append(line);
      kept += '\n';
    }
    at = end + 1;
  }
  headerEnd = at;
  const SIZE size{static_cast<int>(std::ceil(widthPoints)), static_cast<int>(std::ceil(heightPoints))};
  std::string header = PostScriptHeader(psType, size, 0.0);
  header += kept;
  std::vector<std::uint8_t> out(header.begin(), header.end());
  out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(headerEnd), file.end());
  file.swap(out);
}

CairoFileResult WriteCairoFile(VectorKind kind, const VectorScene& scene, const PageLayout& page,
                               const EmbeddedImages& images, const std::string& metadata, DrawObserver* observer,
                               const std::stop_token& stop) {
  CairoFileResult result;
  cairo_surface_t* surface = nullptr;
  if (kind == VectorKind::Pdf) {
    surface = cairo_pdf_surface_create_for_stream(AppendBytes, &result.bytes, page.width, page.height);
    if (!metadata.empty()) cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_SUBJECT, metadata.c_str());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "Brisol");
  } else {
    surface = cairo_ps_surface_create_for_stream(AppendBytes, &result.bytes, page.width, page.height);
    cairo_ps_surface_restrict_to_level(surface, CAIRO_PS_LEVEL_3);
    if (kind == VectorKind::Eps) cairo_ps_surface_set_eps(surface, true);
    for (const std::string& line : CommentLines(metadata)) cairo_ps_surface_dsc_comment(surface, line.c_str());
  }
  // What Cairo must draw as pixels (masks in PostScript) comes out at the
  // embedded photo's resolution.
  const double rasterDpi =
      std::clamp(72.0 * page.raster.cx / std::max(1.0, page.scale * scene.picture.cx), 72.0, 1200.0);
  cairo_surface_set_fallback_resolution(surface, rasterDpi, rasterDpi);

  // The photo file's own bytes, where they stand for it.
  if (images.photo && !images.jpeg.empty()) {
    cairo_surface_set_mime_data(images.photo.get(), CAIRO_MIME_TYPE_JPEG, images.jpeg.data(), images.jpeg.size(),
                                nullptr, nullptr);
  }
  cairo_t* cr = cairo_create(surface);
  const bool drawn = DrawSceneCairo(cr, scene, page, images, observer, stop);
  cairo_show_page(cr);
  cairo_status_t status = cairo_status(cr);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  if (images.photo) cairo_surface_set_mime_data(images.photo.get(), CAIRO_MIME_TYPE_JPEG, nullptr, 0, nullptr, nullptr);
  if (!drawn) {
    result.stopped = true;
    result.bytes.clear();
    return result;
  }
  if (status != CAIRO_STATUS_SUCCESS) {
    result.error = cairo_status_to_string(status);
    result.bytes.clear();
    return result;
  }
  if (kind != VectorKind::Pdf) {
    ReplacePostScriptHeader(result.bytes, kind == VectorKind::Eps ? CPsOp::kEps : CPsOp::kPostScript, page.width,
                            page.height);
  }
  return result;
}

}  // namespace brisol
