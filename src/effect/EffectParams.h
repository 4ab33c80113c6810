// The effect's parameters, one row each: the key (also the command-line
// option "--key"), the settings panel's label, range and format, the range
// the effect itself keeps, the default, and when the parameter has no
// effect under the others. The command-line tool, the settings panels and
// their tests all read this table, so no range or default is written twice.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "effect/Effect.h"

namespace brisol {

enum class ParamKind {
  Real,    // a double on a slider pair
  Count,   // a whole number on a slider pair
  Choice,  // one of an enumeration's descriptions
  Colour,  // a COLORREF
};

struct EffectParam {
  std::string_view key;    // "size"; the option is "--size"
  std::string_view label;  // the panel's label ("" where the panel sets it itself)
  ParamKind kind;
  // Real and Count: the slider pair's range and format, and the range the
  // effect's setter keeps a value in.
  double panelMin = 0, panelMax = 0;
  double min = 0, max = 0;
  const char* format = nullptr;
  double defaultValue = 0;  // Choice: the enumerator; Colour: the COLORREF
  std::string_view help;    // one line for --help
  // Choice: the descriptions in enumerator order and their short names.
  const char* const* (*descriptions)() = nullptr;
  std::span<const std::string_view> shortNames = {};
  // The value as the effect holds it (a COLORREF or an enumerator as a
  // whole number) and the setter, which clamps or refuses as the effect does.
  double (*get)(const CEffect&) = nullptr;
  void (*set)(CEffect&, double) = nullptr;
  // Why the parameter changes nothing under the effect's other parameters
  // (the panels disable its controls then), or null when it matters.
  const char* (*inactiveBecause)(const CEffect&) = nullptr;

  std::string Option() const { return "--" + std::string(key); }
  int Count() const { return static_cast<int>(shortNames.size()); }
};

// Every parameter, in the order the help lists them.
std::span<const EffectParam> EffectParams();

// The row of a key ("size") or an option ("--size"); null when none has it.
const EffectParam* FindEffectParam(std::string_view keyOrOption);

// The value of a parameter of the effect as the command line writes it:
// shortest text that reads back to the same double, a short name, or
// "#rrggbb".
std::string FormatParamValue(const EffectParam& param, const CEffect& effect);
// The same for a value as the table's get gives it.
std::string FormatParamValue(const EffectParam& param, double value);

// Whether the effect keeps the value as it is: a number within the range, a
// whole number for a count, an enumerator of the choice, a 24-bit colour.
bool ParamValueInRange(const EffectParam& param, double value);

// The values the parameter takes, for messages: "0.1 to 30", "whole numbers
// 0 to 10000", "image, opposite or random", "#rrggbb".
std::string AcceptedValuesText(const EffectParam& param);

// Reads a command-line value for the parameter. Numbers are decimal; a
// choice is a short name or a description (letter case ignored); a colour
// is "#rrggbb". False when the text is none of these.
bool ParseParamValue(const EffectParam& param, std::string_view text, double& value);

}  // namespace brisol
