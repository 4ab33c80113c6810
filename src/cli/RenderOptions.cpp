#include "RenderOptions.h"

#include <algorithm>
#include <cstdio>

#include "effect/EffectParams.h"

namespace brisol::cli {

std::vector<std::string_view> EffectOptionNames() {
  // The options live as long as the table: keep their texts.
  static const std::vector<std::string> options = [] {
    std::vector<std::string> list;
    for (const EffectParam& p : EffectParams()) list.push_back(p.Option());
    return list;
  }();
  return {options.begin(), options.end()};
}

Done ApplyEffectOption(CEffect& effect, std::string_view name, std::string_view value,
                       std::vector<std::string>& notices) {
  const EffectParam* param = name.starts_with("--") ? FindEffectParam(name) : nullptr;
  if (param == nullptr) return Fail(Status::Invalid, "unknown option '" + std::string(name) + "'");
  double v = 0;
  if (!ParseParamValue(*param, value, v)) {
    switch (param->kind) {
      case ParamKind::Real:
        return Fail(Status::Invalid, "bad number '" + std::string(value) + "' for " + std::string(name));
      case ParamKind::Count:
        return Fail(Status::Invalid, "bad whole number '" + std::string(value) + "' for " + std::string(name));
      case ParamKind::Colour:
        return Fail(Status::Invalid,
                    "bad colour '" + std::string(value) + "' for " + std::string(name) + " (use #rrggbb)");
      case ParamKind::Choice: {
        std::string choices;
        for (std::string_view s : param->shortNames) choices += (choices.empty() ? "" : ", ") + std::string(s);
        return Fail(Status::Invalid, "unknown value '" + std::string(value) + "' for " + std::string(name) +
                                         " (choose " + choices + ")");
      }
    }
  }
  param->set(effect, v);
  if ((param->kind == ParamKind::Real || param->kind == ParamKind::Count) && param->get(effect) != v) {
    notices.push_back(std::string(name) + " " + std::string(value) + " is out of range; using " +
                      FormatParamValue(*param, effect));
  }
  return {};
}

std::vector<std::string> InactiveOptionNotices(const CEffect& effect, const std::vector<std::string>& givenOptions) {
  std::vector<std::string> notices;
  for (const EffectParam& p : EffectParams()) {
    if (p.inactiveBecause == nullptr) continue;
    const std::string option = p.Option();
    if (std::find(givenOptions.begin(), givenOptions.end(), option) == givenOptions.end()) continue;
    if (const char* why = p.inactiveBecause(effect)) notices.push_back(option + " has no effect: " + why);
  }
  return notices;
}

void AppendHelpLine(std::string& help, const std::string& left, std::string right) {
  constexpr std::size_t kWidth = 52;
  std::string column = left + std::string(left.size() < 24 ? 24 - left.size() : 0, ' ');
  if (left.size() >= 24) {
    help += "  " + left + "\n";
    column = std::string(24, ' ');
  }
  while (right.size() > kWidth) {
    const std::size_t cut = right.rfind(' ', kWidth);
    if (cut == std::string::npos) break;
    help += "  " + column + " " + right.substr(0, cut) + "\n";
    right.erase(0, cut + 1);
    column = std::string(24, ' ');
  }
  help += "  " + column + " " + right + "\n";
}

std::string EffectOptionsHelp() {
  std::string help = "Effect options (defaults in brackets; out-of-range values are clamped with a notice):\n";
  auto line = [&help](const std::string& left, std::string right) { AppendHelpLine(help, left, std::move(right)); };
  const CEffect defaults;
  for (const EffectParam& p : EffectParams()) {
    std::string value, range;
    char text[64];
    switch (p.kind) {
      case ParamKind::Real:
        value = "X";
        std::snprintf(text, sizeof text, ", %g..%g", p.min, p.max);
        range = text;
        break;
      case ParamKind::Count:
        value = "N";
        std::snprintf(text, sizeof text, ", %g..%g", p.min, p.max);
        range = text;
        break;
      case ParamKind::Colour:
        value = "#rrggbb";
        break;
      case ParamKind::Choice: {
        value = "NAME";
        std::string names;
        for (std::string_view s : p.shortNames) names += (names.empty() ? "" : ", ") + std::string(s);
        range = ": " + names;
        break;
      }
    }
    line(p.Option() + " " + value, std::string(p.help) + range + " [" + FormatParamValue(p, defaults) + "]");
  }
  return help;
}

}  // namespace brisol::cli
