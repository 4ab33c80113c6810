// The subcommands of brisol-cli. Each takes its own arguments (without the
// subcommand name) and returns the process exit status.
#pragma once

#include <span>
#include <string_view>

namespace brisol::cli {

using Args = std::span<char* const>;

struct Command {
  std::string_view name;
  std::string_view summary;
  int (*run)(Args args);
};

int RunTestcard(Args args);
int RunIdentify(Args args);
int RunConvert(Args args);
int RunDxfInfo(Args args);
int RunRender(Args args);
int RunEffects(Args args);
int RunDemo(Args args);
int RunRecipe(Args args);
int RunPresets(Args args);
int RunBatch(Args args);

// True when the argument asks for help.
bool IsHelp(std::string_view arg);

}  // namespace brisol::cli
