// Placeholder until the font engine lands.
#include "raster/DrawContext.h"

namespace brisol {
SIZE DrawContext::GetTextExtentPoint32(std::string_view) const { return {}; }
bool DrawContext::TextOut(int, int, std::string_view) { return false; }
Font Font::Create(const LogFont&) { return Font(); }
}  // namespace brisol
