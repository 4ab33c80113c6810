// Small pieces of JSON output shared by the commands.
#pragma once

#include <string>

namespace brisol::cli {

// A JSON string literal of the text: quotes, backslashes and control
// characters escaped; bytes that are not UTF-8 taken as Latin-1.
std::string JsonString(const std::string& text);

}  // namespace brisol::cli
