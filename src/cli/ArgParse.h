// Command-line parsing shared by the subcommands: options written as
// "--name value" or "--name=value", flags, "--" and positional arguments.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Commands.h"
#include "logger/Outcome.h"
#include "raster/Types.h"

namespace brisol::cli {

struct ParsedArgs {
  std::vector<std::pair<std::string, std::string>> options;  // in the order given
  std::vector<std::string> flags;
  std::vector<std::string> positionals;
  bool help = false;
};

// Splits the arguments. valueOptions are the option names that take a value,
// flagOptions those that do not. An unknown option or a missing value is
// Status::Invalid, saying which.
Outcome<ParsedArgs> ParseArgs(Args args, const std::vector<std::string_view>& valueOptions,
                              const std::vector<std::string_view>& flagOptions);

// Tells a request that is itself wrong, "brisol-cli COMMAND: MESSAGE (see
// --help)" on standard error, and gives the exit status of one (2).
int UsageError(std::string_view command, const std::string& message);

// A whole decimal number in [min, max] (no sign for unsigned use).
bool ParseInteger(std::string_view text, long long min, long long max, long long& value);

// A picture size written WIDTHxHEIGHT (or WIDTHXHEIGHT), each side a whole
// number from 1 to INT_MAX.
bool ParseSize(std::string_view text, SIZE& size);

}  // namespace brisol::cli
