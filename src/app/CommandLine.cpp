#include "app/CommandLine.h"

#include "effect/Effect.h"
#include "effect/EffectParams.h"

namespace brisol {
namespace {

bool IsPlain(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("_-./:=,+@%").find(c) != std::string_view::npos;
}

// The input's file name without its folder and extension.
std::string Stem(const std::string& input) {
  const std::size_t slash = input.rfind('/');
  std::string name = slash == std::string::npos ? input : input.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

}  // namespace

std::string ShellQuote(std::string_view text) {
  if (!text.empty()) {
    bool plain = true;
    for (char c : text) plain = plain && IsPlain(c);
    if (plain) return std::string(text);
  }
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

std::string DefaultRenderOutput(const std::string& input) { return Stem(input) + "-brisol.png"; }

std::string DefaultResizedFile(const std::string& input, int width, int height) {
  return Stem(input) + "-" + std::to_string(width) + "x" + std::to_string(height) + ".png";
}

std::string RenderCommandLine(const RenderCommand& command, const CEffect& effect, int quality) {
  std::string line;
  std::string input = command.input;
  if (command.resizedWidth > 0 && command.resizedHeight > 0) {
    line = ShellQuote(command.program) + " convert " + ShellQuote(command.input) + " " +
           ShellQuote(command.resizedFile) + " --resize " + std::to_string(command.resizedWidth) + "x" +
           std::to_string(command.resizedHeight) + " && ";
    input = command.resizedFile;
  }
  line += ShellQuote(command.program) + " render " + ShellQuote(input) + " " + ShellQuote(command.output);
  line += " --effect " + ShellQuote(effect.GetEffectDir());
  // An option that changes nothing under the others is left out (the tool
  // would only say so).
  for (const EffectParam& param : EffectParams()) {
    if (param.inactiveBecause != nullptr && param.inactiveBecause(effect) != nullptr) continue;
    line += " " + param.Option() + " " + ShellQuote(FormatParamValue(param, effect));
  }
  line += " --seed " + std::to_string(effect.GetSeed());
  line += " --quality " + std::to_string(quality);
  return line;
}

}  // namespace brisol
