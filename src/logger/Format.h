// printf-style formatting into a string of exactly the needed length.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace brisol {

std::string FormatV(const char* format, va_list args);
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A file name (or any text) made fit for a message of one line: unchanged
// unless it holds a line break or another control character; then each of
// those is written as an escape (\n, \r, \t, \x1b) and every backslash
// doubled, so that the text stays on one line and reads back unambiguously.
std::string OneLineText(std::string_view text);
// The same in single quotes, as messages name files: 'photo.png'.
std::string QuotedName(std::string_view name);

}  // namespace brisol
