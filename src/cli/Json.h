// Small pieces of JSON output shared by the commands.
#pragma once

#include <string>

namespace brisol::cli {

// A JSON string literal of the text (UTF-8 passed through, controls escaped).
std::string JsonString(const std::string& text);

}  // namespace brisol::cli
