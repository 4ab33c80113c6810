// Placeholder until the figure rasterizer lands.
#include "raster/DrawContext.h"

namespace brisol {
bool DrawContext::LineTo(int x, int y) { m_position = {x, y}; return false; }
bool DrawContext::Polyline(std::span<const POINT>) { return false; }
bool DrawContext::Polygon(std::span<const POINT>) { return false; }
bool DrawContext::Ellipse(int, int, int, int) { return false; }
SIZE DrawContext::GetTextExtentPoint32(std::string_view) const { return {}; }
bool DrawContext::TextOut(int, int, std::string_view) { return false; }
Font Font::Create(const LogFont&) { return Font(); }
}  // namespace brisol
