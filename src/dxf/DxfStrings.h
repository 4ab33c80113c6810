// Small text helpers of the shape library: DXF names (layers, blocks,
// entity markers) compare without regard to ASCII case.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brisol {

// True when both texts are equal, ignoring ASCII case.
bool EqualNoCase(std::string_view a, std::string_view b);
// True when text begins with prefix, ignoring ASCII case (an empty prefix
// begins every text).
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// The text cut to at most maxChars characters; a null text gives "".
std::string CopyLimited(const char* text, std::size_t maxChars);

}  // namespace brisol
