#include "ArgParse.h"

#include "logger/RepeatFolder.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace brisol::cli {

Outcome<ParsedArgs> ParseArgs(Args args, const std::vector<std::string_view>& valueOptions,
                              const std::vector<std::string_view>& flagOptions) {
  ParsedArgs out;
  bool optionsDone = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    if (optionsDone || a.size() < 2 || a[0] != '-') {
      out.positionals.emplace_back(a);
      continue;
    }
    if (a == "--") {
      optionsDone = true;
      continue;
    }
    if (IsHelp(a)) {
      out.help = true;
      continue;
    }
    const std::size_t eq = a.find('=');
    const std::string_view name = a.substr(0, eq);
    if (std::find(flagOptions.begin(), flagOptions.end(), name) != flagOptions.end() && eq == std::string_view::npos) {
      out.flags.emplace_back(name);
      continue;
    }
    if (std::find(valueOptions.begin(), valueOptions.end(), name) == valueOptions.end()) {
      return Fail(Status::Invalid, "unknown option '" + std::string(a) + "'");
    }
    if (eq != std::string_view::npos) {
      out.options.emplace_back(name, a.substr(eq + 1));
    } else if (i + 1 < args.size()) {
      out.options.emplace_back(name, args[++i]);
    } else {
      return Fail(Status::Invalid, std::string(name) + " needs a value");
    }
  }
  return out;
}

int UsageError(std::string_view command, const std::string& message) {
  FlushStderrRepeats();
  std::fprintf(stderr, "brisol-cli %.*s: %s (see --help)\n", static_cast<int>(command.size()), command.data(),
               message.c_str());
  return 2;
}

bool ParseInteger(std::string_view text, long long min, long long max, long long& value) {
  if (text.empty() || text.size() > 20 || text[0] == '+') return false;
  const std::string s(text);
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(s.c_str(), &end, 10);
  if (errno != 0 || end != s.c_str() + s.size() || v < min || v > max) return false;
  value = v;
  return true;
}

bool ParseSize(std::string_view text, SIZE& size) {
  const std::size_t x = text.find_first_of("xX");
  long long w = 0, h = 0;
  if (x == std::string_view::npos || !ParseInteger(text.substr(0, x), 1, INT_MAX, w) ||
      !ParseInteger(text.substr(x + 1), 1, INT_MAX, h)) {
    return false;
  }
  size = SIZE{static_cast<int>(w), static_cast<int>(h)};
  return true;
}

}  // namespace brisol::cli
