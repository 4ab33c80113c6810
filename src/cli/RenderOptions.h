// The effect parameters of `brisol-cli render`, one option each, read from
// the effect's parameter table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "logger/Outcome.h"

namespace brisol {
class CEffect;
}

namespace brisol::cli {

// The names of every effect option (all take a value).
std::vector<std::string_view> EffectOptionNames();

// Sets one parameter. A value out of its range is clamped by the effect's
// setter and a notice is added; an unreadable value is Status::Invalid,
// saying why.
Done ApplyEffectOption(CEffect& effect, std::string_view name, std::string_view value,
                       std::vector<std::string>& notices);

// One notice for each option given that changes nothing under the effect's
// other parameters, saying why (as the settings panels disable it).
std::vector<std::string> InactiveOptionNotices(const CEffect& effect, const std::vector<std::string>& givenOptions);

// The help text of the effect options.
std::string EffectOptionsHelp();

// One option of a help text in two columns: the option and its value on the
// left, the description wrapped at a space into the right column.
void AppendHelpLine(std::string& help, const std::string& left, std::string right);

}  // namespace brisol::cli
