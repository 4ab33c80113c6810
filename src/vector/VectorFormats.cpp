#include "vector/VectorFormats.h"

#include <array>

namespace brisol {
namespace {

// PDF viewers and printers take pages of at most 200 inches a side.
constexpr std::array<VectorFormat, 4> kFormats = {{
    {VectorKind::Svg, "svg", "SVG", 0, ""},
    {VectorKind::Pdf, "pdf", "PDF", 200 * 72.0, "200 inches (14400 points)"},
    {VectorKind::Eps, "eps", "EPS", 0, ""},
    {VectorKind::Ps, "ps", "PostScript", 0, ""},
}};

bool EndsWithExtension(std::string_view path, std::string_view extension) {
  if (path.size() <= extension.size() + 1) return false;
  const std::size_t dot = path.size() - extension.size() - 1;
  if (path[dot] != '.' || path[dot - 1] == '/') return false;
  for (std::size_t i = 0; i < extension.size(); ++i) {
    char c = path[dot + 1 + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != extension[i]) return false;
  }
  return true;
}

}  // namespace

std::span<const VectorFormat> VectorFormats() { return kFormats; }

const VectorFormat* VectorFormatOfName(std::string_view path) {
  for (const VectorFormat& f : kFormats)
    if (EndsWithExtension(path, f.extension)) return &f;
  return nullptr;
}

const VectorFormat& VectorFormatOf(VectorKind kind) {
  for (const VectorFormat& f : kFormats)
    if (f.kind == kind) return f;
  return kFormats[0];
}

Done CheckVectorName(std::string_view path) {
  if (!EndsWithExtension(path, "ai")) return {};
  return Fail(Status::Unsupported, "cannot write '" + std::string(path) +
                                       "': Illustrator (.ai) files are not written; use .pdf or .svg, which it opens");
}

std::string VectorExtensionsText() {
  std::string text;
  for (const VectorFormat& f : kFormats) text += (text.empty() ? "." : ", .") + std::string(f.extension);
  return text;
}

}  // namespace brisol
