// brisol-cli presets: the presets found, the user's first.
#include <cstdio>
#include <string>

#include "ArgParse.h"
#include "Commands.h"
#include "Json.h"
#include "recipe/Presets.h"

namespace brisol::cli {
namespace {

// A name or path as one line of text: control characters escaped as JSON
// writes them.
std::string Escaped(const std::string& text) {
  const std::string json = JsonString(text);
  return json.substr(1, json.size() - 2);
}

// Text padded with spaces to width characters (UTF-8 sequences count one).
std::string Padded(const std::string& text, std::size_t width) {
  std::size_t characters = 0;
  for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return text + std::string(characters < width ? width - characters : 0, ' ');
}

}  // namespace

int RunPresets(Args args) {
  const auto parsedArgs = ParseArgs(args, {}, {"--json"});
  if (!parsedArgs) return UsageError("presets", parsedArgs.message());
  const ParsedArgs& parsed = *parsedArgs;
  if (parsed.help) {
    std::printf(
        "Usage: brisol-cli presets [--json]\n\n"
        "Lists the presets that 'render --preset' and 'batch --preset' take: your\n"
        "own (%s), then those installed with the program. One of\n"
        "yours hides a bundled one of the same name. Each line gives the name,\n"
        "'user' or 'bundled', and the file; a preset that cannot be used (broken,\n"
        "unreadable, a link to nothing) is followed by why.\n"
        "With --json: a list of {\"name\": ..., \"user\": true|false, \"path\": ...},\n"
        "with \"problem\": ... for a preset that cannot be used.\n",
        UserPresetFolder().c_str());
    return 0;
  }
  if (!parsed.positionals.empty()) {
    std::fprintf(stderr, "brisol-cli presets: unexpected argument '%s'\n", parsed.positionals[0].c_str());
    return 2;
  }
  const bool json = !parsed.flags.empty();
  if (json) std::printf("[");
  bool first = true;
  for (const PresetInfo& p : ListPresets()) {
    const RecipeRead read = ReadPresetFile(p.path);
    // The cause alone: the file is named in the listing already.
    std::string problem = read.ok() ? std::string() : read.errors.front();
    if (problem.starts_with("'" + p.path + "'")) problem.erase(0, p.path.size() + 2);
    if (problem.starts_with(": ") || problem.starts_with(", ")) problem.erase(0, 2);
    if (json) {
      std::printf("%s\n  {\"name\": %s, \"user\": %s, \"path\": %s%s}", first ? "" : ",", JsonString(p.name).c_str(),
                  p.user ? "true" : "false", JsonString(p.path).c_str(),
                  problem.empty() ? "" : (", \"problem\": " + JsonString(problem)).c_str());
    } else {
      std::printf("%s %-8s %s%s\n", Padded(Escaped(p.name), 24).c_str(), p.user ? "user" : "bundled",
                  Escaped(p.path).c_str(),
                  problem.empty() ? "" : ("  (cannot be used: " + Escaped(problem) + ")").c_str());
    }
    first = false;
  }
  if (json) std::printf("%s]\n", first ? "" : "\n");
  return 0;
}

}  // namespace brisol::cli
