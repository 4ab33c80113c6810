// Text of the drawing context: measured and drawn in the selected font, or
// in the default font when none is selected.
#include "raster/DrawContext.h"
#include "raster/FontEngine.h"

namespace brisol {
namespace {

const FontFace* FaceOf(const Font& selected) {
  if (selected.IsValid()) return selected.face();
  const Font& fallback = DefaultFont();
  return fallback.IsValid() ? fallback.face() : nullptr;
}

}  // namespace

SIZE DrawContext::GetTextExtentPoint32(std::string_view text) const {
  const FontFace* face = FaceOf(m_font);
  if (!face) return {};
  return FontTextExtent(*face, text);
}

bool DrawContext::TextOut(int x, int y, std::string_view text) {
  if (!IsValid()) return false;
  const FontFace* face = FaceOf(m_font);
  if (!face) return false;
  if (m_bkMode == OPAQUE) {
    const SIZE extent = FontTextExtent(*face, text);
    FillSolidRect(x, y, extent.cx, extent.cy, m_bkColour & 0xFFFFFFu);
  }
  FontDrawText(*face, m_block, x, y, text, m_textColour & 0xFFFFFFu, m_recorder);
  return true;
}

}  // namespace brisol
