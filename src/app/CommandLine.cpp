#include "app/CommandLine.h"

#include "effect/Effect.h"
#include "effect/EffectParams.h"

namespace brisol {
namespace {

bool IsPlain(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::string_view("_-./:=,+@%").find(c) != std::string_view::npos;
}

// The input's folder and its name without the extension.
std::string Stem(const std::string& input) {
  const std::size_t slash = input.rfind('/');
  const std::size_t dot = input.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) return input.substr(0, dot);
  return input;
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
  for (const EffectParam& param : EffectParams()) {
    line += " " + param.Option() + " " + ShellQuote(FormatParamValue(param, effect));
  }
  line += " --seed " + std::to_string(effect.GetSeed());
  line += " --quality " + std::to_string(quality);
  return line;
}

}  // namespace brisol
