// printf-style formatting into a string of exactly the needed length.
#pragma once

#include <cstdarg>
#include <string>

namespace brisol {

std::string FormatV(const char* format, va_list args);
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace brisol
